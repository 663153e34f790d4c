// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/COrvaneApp.h"

int main(int argc, char** argv) {
    orvane::COrvaneApp app(argc, argv);
    // The arguments Qt left, as the system's bytes: a file name need not be
    // UTF-8, and QCoreApplication::arguments() would lose what is not.
    QByteArrayList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QByteArray(argv[i]);
    if (!app.InitInstance(arguments))
        return 0;
    const int code = app.exec();
    app.ExitInstance();
    return code;
}
