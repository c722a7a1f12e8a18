# Every library comes from Debian's packages.
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
find_package(ZLIB REQUIRED)
find_package(OpenSSL REQUIRED)
find_package(Boost 1.74 REQUIRED COMPONENTS filesystem system thread date_time)

pkg_check_modules(TOMCRYPT REQUIRED IMPORTED_TARGET libtomcrypt)
pkg_check_modules(TOMMATH REQUIRED IMPORTED_TARGET libtommath)
pkg_check_modules(TINYXML REQUIRED IMPORTED_TARGET tinyxml)
pkg_check_modules(GLIB REQUIRED IMPORTED_TARGET glib-2.0 gio-2.0)

# libtorrent's own compile flags (its Asio and OpenSSL configuration) for every unit of
# the project: a unit that includes Boost.Asio or libtorrent with other defines than the
# library was built with breaks the one-definition rule.
pkg_check_modules(LIBTORRENT REQUIRED IMPORTED_TARGET libtorrent-rasterbar)
add_compile_options(${LIBTORRENT_CFLAGS_OTHER})
