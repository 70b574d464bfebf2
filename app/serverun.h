#pragma once

#include "app/commandline.h"

// "--serve": the side-by-side recorder steered through the HTTP API and its
// web page, until SIGINT, SIGTERM or SIGHUP close and tag every file.
int RunServer(int argc, char** argv, const CommandLine& commandLine);

class QHostAddress;
class QString;
// The warning for listening on `address` ("" for none): anything but
// loopback without TLS can be read on the way.
QString ListenWarning(const QHostAddress& address, bool tls, const QString& listen);
