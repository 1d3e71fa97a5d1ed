#pragma once

namespace kestrel {

// A bench of many cameras needs a connection, a file, for each: the soft
// limit on open files is raised as far as the system allows. Nothing happens
// where there is no such limit.
void RaiseOpenFileLimit();

} // namespace kestrel
