// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/COrvaneApp.h"

int main(int argc, char** argv) {
    orvane::COrvaneApp app(argc, argv);
    if (!app.InitInstance(app.arguments().mid(1)))
        return 0;
    const int code = app.exec();
    app.ExitInstance();
    return code;
}
