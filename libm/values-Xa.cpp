// Error-handling mode of this program: ANSI. Kept alone in its own unit so a
// program can link the archive with a definition of its own.
extern "C" {
extern const int _lib_version;
const int _lib_version = 1;
}
