#include "music/playlist/track_rule.h"

#include "base/random.h"

#include <algorithm>
#include <cctype>

namespace vorlin::music {

void TrackRule::set(const std::vector<std::string>& list, bool shuffle, bool loop) {
    list_ = list;
    hasList_ = true;
    shuffle_ = shuffle;
    loop_ = loop;
    current_.clear();
    position_ = -1;
    played_ = -1;
}

void TrackRule::clear() {
    list_.clear();
    current_.clear();
    position_ = -1;
    played_ = -1;
}

const std::string& TrackRule::next() {
    current_.clear();
    if (!hasList_ || list_.empty()) return current_;
    const int count = int(list_.size());
    if (shuffle_) {
        ++played_;
        if (!loop_ && played_ >= count)
            position_ = -1;
        else
            position_ = vorlin::random(count);
    } else if (position_ == -1) {
        position_ = 0;
    } else if (++position_ >= count) {
        position_ = loop_ ? 0 : -1;
    }
    if (position_ == -1) {
        played_ = -1;
    } else {
        current_ = list_[std::size_t(position_)];
    }
    return current_;
}

bool TrackRule::advance(const std::function<bool(const std::string&)>& start) {
    // At least one pick, so that an advance on an empty list still clears the current file.
    const std::size_t tries = std::max<std::size_t>(list_.size(), 1);
    for (std::size_t i = 0; i < tries; ++i) {
        const std::string file = next();
        if (file.empty()) return false;
        if (start(file)) return true;
    }
    return false;
}

MusicKind musicKindOf(const std::string& fileName) {
    const auto slash = fileName.rfind('/');
    const auto dot = fileName.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return MusicKind::None;
    std::string ext = fileName.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(std::toupper(c)); });
    if (ext == ".MP3") return MusicKind::Mpeg;
    if (ext == ".WAV" || ext == ".MID") return MusicKind::Mci;
    return MusicKind::None;
}

} // namespace vorlin::music
