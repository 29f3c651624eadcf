#pragma once
// The person's side of an installation or removal: questions and the result, on the terminal, or in a
// small window when there is a display and no terminal (started from a file manager or a menu).
#include <iosfwd>
#include <string>

namespace vorlin::vorlinbuild {

class Conversation {
public:
    // `yes` answers every question and keeps the window away.
    Conversation(bool yes, std::string title, std::istream& in, std::ostream& out);

    // `details` have already gone to the terminal; the window shows them above the question.
    bool ask(const std::string& details, const std::string& question, const std::string& yesButton,
             const std::string& noButton);

    // The outcome; in a window the person closes it. With an offer, a second button (on a terminal the
    // question `offerQuestion`) asks for more, and whether it was taken is returned.
    bool tell(const std::string& text, const std::string& offer = {}, const std::string& offerQuestion = {});

    void setTitle(std::string title) { title_ = std::move(title); }

private:
    bool yes_, window_;
    std::string title_;
    std::istream& in_;
    std::ostream& out_;
};

} // namespace vorlin::vorlinbuild
