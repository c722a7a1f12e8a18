#pragma once
// Groups of global variables. A group is a process-wide flag, true from its first
// use; its address identifies it. Reads and assignments by name only see entries
// whose group flag is true.
namespace Global {

using Group = bool;

// Variables bound to no file; never saved.
Group* RuntimeGroup();
// The user settings of "Personal/Global.cfg".
Group* UserGroup();

}  // namespace Global
