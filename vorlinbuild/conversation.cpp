// Questions and results of an installation or removal (see conversation.h).
#include "vorlinbuild/conversation.h"

#include <istream>
#include <ostream>
#include <vector>

#include "vorlinbuild/ask_window.h"

namespace vorlin::vorlinbuild {

Conversation::Conversation(bool yes, std::string title, std::istream& in, std::ostream& out)
    : yes_(yes), window_(!yes && wantsWindow()), title_(std::move(title)), in_(in), out_(out) {}

bool Conversation::ask(const std::string& details, const std::string& question, const std::string& yesButton,
                       const std::string& noButton) {
    if (yes_) return true;
    if (window_) {
        const int answer = askInWindow(title_, details + question, {yesButton, noButton});
        if (answer != kNoWindow) return answer == 0;
    }
    out_ << question << " [y/N] " << std::flush;
    std::string answer;
    if (!std::getline(in_, answer)) return false;
    return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
}

bool Conversation::tell(const std::string& text, const std::string& offer, const std::string& offerQuestion) {
    out_ << text << std::flush;
    if (window_) {
        const std::vector<std::string> buttons =
            offer.empty() ? std::vector<std::string>{"OK"} : std::vector<std::string>{offer, "Close"};
        const int answer = askInWindow(title_, text, buttons);
        if (answer != kNoWindow) return !offer.empty() && answer == 0;
    }
    return !offer.empty() && !yes_ && ask({}, offerQuestion, offer, "Close");
}

} // namespace vorlin::vorlinbuild
