// What a file that replaces another takes over from it.
#pragma once

#include <sys/stat.h>

#include <string>

namespace rt {

// Gives the new file `fd` what the file `name` in `folder`, found as
// `old`, has: its extended attributes and access list, where the file
// system takes them; its mode, but for the set-user-ID and set-group-ID
// bits, and never granting its group more than the old access list did;
// then its owner and group, where the program may set them. False with
// errno set when the mode could not be given.
bool takeOverAttributes(int fd, int folder, const std::string& name, const struct stat& old);

}  // namespace rt
