# The man page, vornlace.1, from the program's own --help and --version, with the name line,
# examples and exit statuses of vornlace.h2m; installed into man1. debian/rules turns it on
# (VORNLACE_MAN_PAGE); the other builds never need help2man.
#
# Included from the top-level CMakeLists.txt once the `vornlace` target exists, after
# include(GNUInstallDirs).

find_program(VORNLACE_HELP2MAN_EXECUTABLE help2man REQUIRED)

# Both options print and exit before any window exists, so the page is written with no display,
# as a build machine has none. help2man dates the page from SOURCE_DATE_EPOCH when it is set
# (dh sets it from debian/changelog), so building again later gives the same page.
set(_vornlace_man "${CMAKE_CURRENT_BINARY_DIR}/packaging/vornlace.1")
add_custom_command(
  OUTPUT "${_vornlace_man}"
  COMMAND "${CMAKE_COMMAND}" -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY
          "${VORNLACE_HELP2MAN_EXECUTABLE}" --no-info --section=1
          "--include=${CMAKE_CURRENT_LIST_DIR}/vornlace.h2m" "--output=${_vornlace_man}"
          "$<TARGET_FILE:vornlace>"
  DEPENDS vornlace "${CMAKE_CURRENT_LIST_DIR}/vornlace.h2m"
  COMMENT "Writing the man page from vornlace --help"
  VERBATIM)
add_custom_target(vornlace_man_page ALL DEPENDS "${_vornlace_man}")

install(FILES "${_vornlace_man}" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
