# The Debian package "fenmor": CPack DEB over the install rules, with the shared-library
# dependencies computed by dpkg-shlibdeps from the installed binaries.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME fenmor)
set(CPACK_PACKAGE_VENDOR "Fenmor developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "receive and save what a Zaurus PDA sends over a serial line")
set(CPACK_PACKAGE_DESCRIPTION
  "Fenmor receives what a Zaurus PDA of the PI or MI series sends over a serial cable, a USB
serial adapter or an IrDA adapter that presents itself as a serial port (address book,
action list, schedule, reports and word-processor documents) and saves it as
comma- or tab-separated values, text documents, RTF files and raw data, in Shift-JIS.
fenmor-convert converts transfers captured to files in the same way.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_NAME fenmor)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # fenmor_VERSION_ARCH.deb
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PROJECT_HOMEPAGE_URL})
set(FENMOR_MAINTAINER "Fenmor developers <fenmor@users.noreply.github.com>" CACHE STRING
    "The Maintainer field of the Debian package")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${FENMOR_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Japanese captions need a Japanese font: the IPA fonts fit the layout, Noto CJK is the fallback.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic | fonts-noto-cjk")
# Qt's Japanese texts for the standard buttons (はい, いいえ, キャンセル).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic, qt6-translations-l10n")
include(CPack)
