#pragma once
// What the program tells its user on standard error: one line each, opening with the program's
// name ("kaikuranta: data/star.jpg: Premature end of JPEG file"), and the one line that ends the
// program, kept for a backend to show again. The show's name is the build's default; a tool that
// runs the show's code under its own name sets that once in main. Lines from any thread come out
// whole.
namespace platform {

// The name every line opens with, from here on. `name` must outlive its use (a literal).
void setProgramName(const char* name);
const char* programName();

// Writes "NAME: " and the printf-formatted text as one line on standard error.
void report(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// The line that ends the program: written as report writes it, and kept, so that where no one
// reads standard error the user still sees it (platform::showFatalReportAtExit).
void reportFatal(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
// The text of the last fatal report, without the program's name; empty before one.
const char* fatalReport();

// The build's version number ("1.0.0").
const char* programVersion();

}  // namespace platform
