#pragma once
// Where the program and its files are.

#include <filesystem>
#include <string>

// Directory of /proc/self/exe with a trailing '/'; computed once.
const std::string& GetExeDirectory();

// A resource (Setting.ini, Skin/, Languages/, service/) beside the program,
// else in ../share/<program>/ of an installed copy; the path beside the program
// when neither exists.
std::filesystem::path FindProgramResource(const std::string& name);

// "a.b.c.d": the version the program was built with.
std::string GetFileVersionText();
