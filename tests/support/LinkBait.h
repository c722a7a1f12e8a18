#pragma once
// The attack on a launcher that runs as root over folders the player can write: a link
// planted where the launcher creates, truncates or replaces a file, pointing at a file
// outside. The bait is that outside file; the launcher must neither write it nor change
// its mode, and the link's name must end up a regular file of its own or be left alone.
#include <string>

class LinkBait {
public:
    // Writes the bait (by default a text of its own) at outside, its missing folders
    // made, with mode 0600, and plants a link to it at link, replacing whatever was there.
    LinkBait(const std::string& outside, const std::string& link, const std::string& bait = kDefaultBait);

    static constexpr char kDefaultBait[] = "the player may not touch this";

    const std::string& Outside() const { return outside_; }
    // The bait holds what it held and keeps its mode.
    bool Untouched() const;
    // The link's name is a regular file now, not a link.
    bool ReplacedByAFile() const;
    // The link is still there, pointing at the bait.
    bool LeftAlone() const;

private:
    std::string outside_;
    std::string link_;
    std::string bait_;
};
