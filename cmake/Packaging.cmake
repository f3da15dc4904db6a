# cpack -G DEB: one Debian package, korvane-palisor, holding everything cmake --install puts
# in place. scripts/package.sh configures a release build for it and runs CPack.
set(CPACK_PACKAGE_NAME korvane-palisor)
set(CPACK_PACKAGE_VENDOR "The Korvane and Palisor developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Korvane and Palisor maintainers <maintainers@korvane.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Battlefield Vietnam music pack builder and installer")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Two desktop programs for players of Battlefield Vietnam who want their\n"
  "own music in the game, also when it runs under Wine.\n"
  "\n"
  "Korvane turns sixteen songs of your own into a .velk music pack: the two\n"
  "game scripts plus the songs encoded as Ogg Vorbis. Palisor backs up the\n"
  "game files it replaces, installs a music pack into the game and restores\n"
  "the original music.\n"
  "\n"
  "Both programs work from their windows or from the command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Directories the install creates get the usual modes whatever the builder's umask is.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CPACK_PACKAGE_CONTACT})
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://korvane.example.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
