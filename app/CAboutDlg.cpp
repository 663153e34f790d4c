// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CAboutDlg.h"

#include "core/Version.h"

#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

namespace orvane {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About orvane"));

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("appIcon"));
    icon->setPixmap(
        QIcon(QStringLiteral(":/icons/orvane.svg")).pixmap(QSize(32, 32), devicePixelRatioF()));
    icon->setFixedSize(32, 32);

    auto* version =
        new QLabel(QStringLiteral("Orvane Version ") +
                       QString::fromUtf8(kVersionMajorMinor.data(), kVersionMajorMinor.size()),
                   this);
    version->setObjectName(QStringLiteral("versionText"));
    version->setTextFormat(Qt::PlainText);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(18, 18, 18, 18);
    layout->setHorizontalSpacing(16);
    layout->addWidget(icon, 0, 0, Qt::AlignTop);
    layout->addWidget(version, 0, 1, Qt::AlignLeft | Qt::AlignVCenter);
    layout->addWidget(ok, 0, 2, Qt::AlignTop | Qt::AlignRight);
    layout->setColumnStretch(1, 1);
    layout->setColumnMinimumWidth(1, 180);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace orvane
