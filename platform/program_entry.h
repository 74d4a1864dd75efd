#pragma once

// Every program defines ProgramMain instead of main; the platform's own main calls it.
// The arguments are narrow strings in the form WideFromArgument (platform/text.h) reads:
// on Windows the wide command line in UTF-8, so no character of it is lost; elsewhere
// the bytes the system passed.
int ProgramMain(int argc, char** argv);
