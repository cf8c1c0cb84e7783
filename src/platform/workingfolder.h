#pragma once

#include <QString>

namespace snagwell {

// The folder the program was started in, as the path the program works
// with. That is its own name where a QString holds the name byte for byte
// and a line of the settings file can hold it. Otherwise (a name that is
// not valid UTF-8, a line break in it) it is the name the system gives the
// process's working folder, which reaches the same folder by its real bytes
// and reads the same at every start from there.
QString workingFolder();

} // namespace snagwell
