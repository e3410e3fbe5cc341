#pragma once
// The fixed name a simulator puts on its port: a symbolic link at a path the caller chooses,
// removed when the simulator goes. Only a free path is taken, or a link into /dev/pts that a
// simulator made and left behind when it died; anything else at the path is left as it is.

#include <ctime>
#include <string>
#include <sys/types.h>

#include "serial/UniqueFd.h"

namespace SimLink {

class Link {
public:
    // Throws std::runtime_error, one line that names Path and what is there, when Path is taken
    // or the link cannot be made.
    Link(const std::string& Path, const std::string& Target);
    // Removes the link, unless something else has been put at the path meanwhile.
    ~Link();
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;

private:
    std::string path;
    // The link made, to know it again: an inode number freed is handed out again at once, and
    // the change time may fall in the same clock tick.
    std::string target;
    dev_t device = 0;
    ino_t inode = 0;
    timespec changed{};
    UniqueFd beacon; // held while the simulator lives: the link is served
};

} // namespace SimLink
