#pragma once

#include "app/commandline.h"

// "--serve": the side-by-side recorder steered through the HTTP API and its
// web page, until SIGINT, SIGTERM or SIGHUP close and tag every file.
int RunServer(int argc, char** argv, const CommandLine& commandLine);
