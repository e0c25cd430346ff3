# The Debian package: what it adds to the install tree (man page, copyright, changelog) and how
# CPack's DEB generator builds it. scripts/package.sh drives it through the "package" presets.
#
# Included from the top-level CMakeLists.txt after packaging/packaging.cmake (which installs the
# program, the desktop entry, the metainfo and the icons) when VORNLACE_DEBIAN_PACKAGE is on; the
# other builds never need help2man or dpkg-dev.

set(_vornlace_debian_dir "${CMAKE_CURRENT_LIST_DIR}/debian")
set(_vornlace_debian_out "${CMAKE_CURRENT_BINARY_DIR}/packaging/debian")
# Debian wants the package's own name here; CMAKE_INSTALL_DOCDIR would say "Vornlace".
set(_vornlace_debian_docdir "${CMAKE_INSTALL_DATADIR}/doc/vornlace")

find_program(VORNLACE_HELP2MAN_EXECUTABLE help2man REQUIRED)
find_program(VORNLACE_GZIP_EXECUTABLE gzip REQUIRED)
find_program(VORNLACE_DPKG_PARSECHANGELOG_EXECUTABLE dpkg-parsechangelog REQUIRED)

# The changelog is kept by hand; its newest entry must be the version we build, and its date
# dates the man page, so that building again later gives the same page.
function(vornlace_changelog_field out field)
  execute_process(
    COMMAND "${VORNLACE_DPKG_PARSECHANGELOG_EXECUTABLE}" -l "${_vornlace_debian_dir}/changelog"
            "-S${field}"
    OUTPUT_VARIABLE value OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE status)
  if(NOT status EQUAL 0 OR value STREQUAL "")
    message(FATAL_ERROR "Cannot read ${field} from packaging/debian/changelog")
  endif()
  set(${out} "${value}" PARENT_SCOPE)
endfunction()
vornlace_changelog_field(_vornlace_changelog_version Version)
vornlace_changelog_field(_vornlace_changelog_timestamp Timestamp)
if(NOT _vornlace_changelog_version STREQUAL VORNLACE_VERSION_TEXT)
  message(FATAL_ERROR
    "Newest entry in packaging/debian/changelog is '${_vornlace_changelog_version}' "
    "but VORNLACE_VERSION_TEXT is '${VORNLACE_VERSION_TEXT}'.")
endif()

# The man page, from the program's own --help and --version, with its name line, examples and
# exit statuses from vornlace.h2m. Both options print and exit before any window exists, so the
# build runs them with no display, as a build machine has none.
set(_vornlace_man "${_vornlace_debian_out}/vornlace.1")
add_custom_command(
  OUTPUT "${_vornlace_man}.gz"
  COMMAND "${CMAKE_COMMAND}" -E make_directory "${_vornlace_debian_out}"
  COMMAND "${CMAKE_COMMAND}" -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY
          "SOURCE_DATE_EPOCH=${_vornlace_changelog_timestamp}"
          "${VORNLACE_HELP2MAN_EXECUTABLE}" --no-info --section=1
          "--include=${_vornlace_debian_dir}/vornlace.h2m" "--output=${_vornlace_man}"
          "$<TARGET_FILE:vornlace>"
  COMMAND "${VORNLACE_GZIP_EXECUTABLE}" -9nf "${_vornlace_man}"
  DEPENDS vornlace "${_vornlace_debian_dir}/vornlace.h2m"
  COMMENT "Writing the man page from vornlace --help"
  VERBATIM)

# gzip -n leaves out the name and the time, so the same changelog always gives the same bytes.
set(_vornlace_changelog "${_vornlace_debian_out}/changelog")
add_custom_command(
  OUTPUT "${_vornlace_changelog}.gz"
  COMMAND "${CMAKE_COMMAND}" -E copy "${_vornlace_debian_dir}/changelog" "${_vornlace_changelog}"
  COMMAND "${VORNLACE_GZIP_EXECUTABLE}" -9nf "${_vornlace_changelog}"
  DEPENDS "${_vornlace_debian_dir}/changelog"
  VERBATIM)

add_custom_target(vornlace_debian_files ALL
  DEPENDS "${_vornlace_man}.gz" "${_vornlace_changelog}.gz")

install(FILES "${_vornlace_man}.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
install(FILES "${_vornlace_debian_dir}/copyright" "${_vornlace_changelog}.gz"
        DESTINATION "${_vornlace_debian_docdir}")

# ---------------------------------------------------------------------------
# CPack: one binary package, vornlace_<version>_<arch>.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vornlace)
set(CPACK_PACKAGE_VERSION "${VORNLACE_VERSION_TEXT}")
set(CPACK_PACKAGE_VENDOR "Vornlace maintainers")
set(CPACK_PACKAGE_CONTACT
    "Vornlace maintainers <maintainers@users.noreply.c-seed-1e187d83.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The libraries come from dpkg-shlibdeps. Qt's own Japanese texts (its dialogs and text-box
# menus) are loaded from a file no library link reveals, and the captions need a Japanese font.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic | fonts-japanese-gothic")

# The synopsis, then the extended description (an empty line becomes Debian's " ." paragraph
# break).
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION "Vornlace draws generalised Koch curves on a black canvas: one depth-7 curve
for every whole degree of the bump angle from 0 up to a maximum you type,
each in its angle's colour and over the same base line, so the curves pile
up into a coloured fan. Three rules size the bump, and the classic 60-degree
curve can close a sweep in yellow. The window's captions are Japanese.

The finished picture can be saved or copied from the window, and
'vornlace --render' draws a sweep into an image file without a display.")

include(CPack)
