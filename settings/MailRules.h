#pragma once

#include <QString>

// The port the e-mail page shows once SSL is switched: "465" with SSL, "25"
// without, when the port is the other one of the two, empty, or not a number
// above zero; any other port (such as "587") stays.
QString PortForSsl(const QString& port, bool ssl);

// The sender address made up from the server and the user name: the user
// name up to its first "@", then "@", then the server less a leading "mail.",
// "smtp." or "email." (as written, in lower case).
QString DerivedSender(const QString& server, const QString& user);
