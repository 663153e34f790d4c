# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package: `cmake --build build-release --target package` makes
# orvane_<version>_amd64.deb from the install rules (scripts/package builds
# and checks it). Its dependencies come from dpkg-shlibdeps, and the font.

set(ORVANE_MAINTAINER "Orvane developers <orvane@users.noreply.github.com>")

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "orvane")
set(CPACK_PACKAGE_VENDOR "Orvane developers")
set(CPACK_PACKAGE_CONTACT "${ORVANE_MAINTAINER}")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://github.com/orvane/orvane")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "loudspeaker enclosure designer")
# The extended description: lines of at most 80 characters, paragraphs
# separated by an empty line (CPack indents them as the control file wants).
set(CPACK_PACKAGE_DESCRIPTION
    "Orvane designs loudspeaker enclosures. Type a driver's Thiele/Small
parameters, pick a sealed, vented, 4th-order or 6th-order bandpass box, enter
volumes and tunings, and plot the predicted response; new plots are drawn
over the old ones so that changes can be compared. Beside the plot Orvane
shows the maximum SPL the cone's excursion allows and the input power that
reaches it. Calculators size ports, propose box dimensions and derive
Thiele/Small parameters from impedance measurements.

The package also holds orvane-cli, a command-line tool for scripts and batch
work on the same design files: JSON figures, the response as CSV, new
designs, and the plot as PNG, SVG or PDF.")

# orvane_<version>_<architecture>.deb
set(CPACK_DEBIAN_FILE_NAME "DEB-DEFAULT")
set(CPACK_DEBIAN_PACKAGE_SECTION "sound")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The plot's labels are laid out for Arial's metrics; fonts-liberation has
# its metric twin, which fontconfig puts in Arial's place. The libraries come
# from dpkg-shlibdeps and are added to this.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation")
# The Qt plugins loaded at run time come with the libraries dpkg-shlibdeps
# finds: xcb and offscreen (orvane-cli plot) with libqt6gui6, the SVG icon
# engine with libqt6svg6. Help Index opens the manual through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_COMPRESSION_TYPE "xz")

# Stripped programs, directories 0755 whatever the umask, and a staged
# install (DESTDIR), so the install step leaves the MIME and desktop
# databases alone: dpkg's triggers rebuild them.
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_SET_DESTDIR ON)
# Under /usr from any build folder, whatever its own install prefix.
set(CPACK_INSTALL_PREFIX "/usr")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")

# One package of everything, with the files only the package has.
set(CPACK_COMPONENTS_ALL Unspecified debian)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)

include(CPack)
