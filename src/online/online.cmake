# The form posts go over libcurl; the feedback window's e-mail test uses PCRE2.
find_package(PkgConfig REQUIRED)
pkg_check_modules(PIXMORROW_CURL REQUIRED IMPORTED_TARGET libcurl)
pkg_check_modules(PIXMORROW_PCRE2 REQUIRED IMPORTED_TARGET libpcre2-8)
target_link_libraries(pixmorrow_online PRIVATE PkgConfig::PIXMORROW_CURL PkgConfig::PIXMORROW_PCRE2)
