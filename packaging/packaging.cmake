# Application icon, desktop integration, Windows resources and install rules.
#
# Included from the top-level CMakeLists.txt once the `vornlace` executable
# and the `koch_app` static library exist, after include(GNUInstallDirs),
# include(CTest) and find_package(Qt6 ... Widgets), with VORNLACE_VERSION_TEXT
# (the version shown to users, "1.00") set.

set(VORNLACE_PACKAGING_DIR "${CMAKE_CURRENT_LIST_DIR}")
# The application id: the desktop entry's and metainfo's names, the installed icons' name, and
# what the start-up code tells the desktop the window belongs to.
set(VORNLACE_APP_ID "org.vornlace.Vornlace")
string(REPLACE ";" "," _vornlace_icon_sizes_c "${VORNLACE_ICON_SIZES}")

# The metainfo carries the release list by hand; make sure its newest entry
# is the version we are building.
file(STRINGS "${VORNLACE_PACKAGING_DIR}/${VORNLACE_APP_ID}.metainfo.xml"
     _vornlace_release_lines REGEX "<release ")
if(NOT _vornlace_release_lines)
  message(FATAL_ERROR "No <release> entry in ${VORNLACE_APP_ID}.metainfo.xml")
endif()
list(GET _vornlace_release_lines 0 _vornlace_release_line)
string(REGEX MATCH "version=\"([^\"]*)\"" _ "${_vornlace_release_line}")
if(NOT CMAKE_MATCH_1 STREQUAL VORNLACE_VERSION_TEXT)
  message(FATAL_ERROR
    "Newest release in ${VORNLACE_APP_ID}.metainfo.xml is '${CMAKE_MATCH_1}' "
    "but VORNLACE_VERSION_TEXT is '${VORNLACE_VERSION_TEXT}'.")
endif()

set(_vornlace_png_files "")
foreach(_size IN LISTS VORNLACE_ICON_SIZES)
  list(APPEND _vornlace_png_files
       "${VORNLACE_PACKAGING_DIR}/icons/vornlace-${_size}.png")
endforeach()

# ---------------------------------------------------------------------------
# Icons compiled into the GUI library: :/icons/vornlace-16.png ... -256.png.
# For a static library Qt builds these into an object library that is linked
# straight into every executable using koch_app, so they register themselves
# at start-up without Q_INIT_RESOURCE.
qt_add_resources(koch_app "vornlace_icons"
  PREFIX "/icons"
  BASE "${VORNLACE_PACKAGING_DIR}/icons"
  FILES ${_vornlace_png_files}
)
target_compile_definitions(koch_app PRIVATE VORNLACE_ICON_SIZES=${_vornlace_icon_sizes_c}
                           VORNLACE_APP_ID="${VORNLACE_APP_ID}")

# Regenerates the icon files from their description: cmake --build --preset dev --target icons
find_program(VORNLACE_PYTHON3_EXECUTABLE NAMES python3 python)
if(VORNLACE_PYTHON3_EXECUTABLE)
  add_custom_target(icons
    COMMAND "${VORNLACE_PYTHON3_EXECUTABLE}" "${VORNLACE_PACKAGING_DIR}/make_icons.py"
            --sizes ${_vornlace_icon_sizes_c} --maskable ${VORNLACE_MASKABLE_ICON_SIZE}
    COMMENT "Writing the icon files in packaging/icons"
    VERBATIM)
endif()

# ---------------------------------------------------------------------------
# Windows: icon and version information in the executable.
if(WIN32)
  set(VORNLACE_ICO_FILE "${VORNLACE_PACKAGING_DIR}/icons/vornlace.ico")
  string(REPLACE "." ";" _vornlace_version_parts "${VORNLACE_VERSION_TEXT}")
  list(APPEND _vornlace_version_parts 0 0 0 0)
  list(SUBLIST _vornlace_version_parts 0 4 _vornlace_version_parts)
  set(_vornlace_rc_numbers "")
  foreach(_part IN LISTS _vornlace_version_parts)
    math(EXPR _part "${_part} + 0")  # "00" -> 0
    list(APPEND _vornlace_rc_numbers "${_part}")
  endforeach()
  string(REPLACE ";" "," VORNLACE_RC_VERSION "${_vornlace_rc_numbers}")

  set(_vornlace_rc "${CMAKE_CURRENT_BINARY_DIR}/packaging/vornlace.rc")
  configure_file("${VORNLACE_PACKAGING_DIR}/vornlace.rc.in" "${_vornlace_rc}"
                 @ONLY)
  set_source_files_properties("${_vornlace_rc}" PROPERTIES
                              OBJECT_DEPENDS "${VORNLACE_ICO_FILE}")
  target_sources(vornlace PRIVATE "${_vornlace_rc}")
endif()

# ---------------------------------------------------------------------------
# Install.

install(TARGETS vornlace
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  BUNDLE DESTINATION .
)

if(UNIX AND NOT APPLE)
  install(FILES "${VORNLACE_PACKAGING_DIR}/${VORNLACE_APP_ID}.desktop"
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES "${VORNLACE_PACKAGING_DIR}/${VORNLACE_APP_ID}.metainfo.xml"
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  foreach(_size IN LISTS VORNLACE_ICON_SIZES)
    install(FILES "${VORNLACE_PACKAGING_DIR}/icons/vornlace-${_size}.png"
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps
            RENAME ${VORNLACE_APP_ID}.png)
  endforeach()
endif()

# ---------------------------------------------------------------------------
# Tests.  A missing validator is a failed test, not a skipped one.
if(BUILD_TESTING)
  set(_vornlace_missing_tool_script
      "${CMAKE_CURRENT_BINARY_DIR}/packaging/missing_tool.cmake")
  file(WRITE "${_vornlace_missing_tool_script}"
    "message(FATAL_ERROR \"\${TOOL} was not found when the build was \"\n"
    "  \"configured; install the Debian package \${PACKAGE} and re-run cmake.\")\n")

  # vornlace_tool_or_failure(<out-var> <found-path> <tool> <package>)
  # Sets <out-var> to the tool's path, or to a command that fails saying
  # what is missing.
  function(vornlace_tool_or_failure out found tool package)
    if(found)
      set(${out} "${found}" PARENT_SCOPE)
    else()
      message(WARNING "${tool} not found: packaging tests will fail "
                      "(install ${package}).")
      set(${out} "${CMAKE_COMMAND}" "-DTOOL=${tool}" "-DPACKAGE=${package}"
                 -P "${_vornlace_missing_tool_script}" PARENT_SCOPE)
    endif()
  endfunction()

  find_program(DESKTOP_FILE_VALIDATE_EXECUTABLE desktop-file-validate)
  find_program(APPSTREAMCLI_EXECUTABLE appstreamcli)
  vornlace_tool_or_failure(_desktop_validate
    "${DESKTOP_FILE_VALIDATE_EXECUTABLE}" desktop-file-validate desktop-file-utils)
  vornlace_tool_or_failure(_appstreamcli
    "${APPSTREAMCLI_EXECUTABLE}" appstreamcli appstream)
  vornlace_tool_or_failure(_python3
    "${VORNLACE_PYTHON3_EXECUTABLE}" python3 python3)

  add_test(NAME desktop_entry_valid
    COMMAND ${_desktop_validate}
            "${VORNLACE_PACKAGING_DIR}/${VORNLACE_APP_ID}.desktop")
  # desktop-file-validate exits 0 on hints too; any output counts as failure.
  set_tests_properties(desktop_entry_valid PROPERTIES
    FAIL_REGULAR_EXPRESSION "[^ \t\r\n]")

  add_test(NAME metainfo_valid
    COMMAND ${_appstreamcli} validate --no-net
            "${VORNLACE_PACKAGING_DIR}/${VORNLACE_APP_ID}.metainfo.xml")

  add_test(NAME icons_up_to_date
    COMMAND ${_python3} "${VORNLACE_PACKAGING_DIR}/make_icons.py" --check
            --sizes ${_vornlace_icon_sizes_c} --maskable ${VORNLACE_MASKABLE_ICON_SIZE})

  if(UNIX AND NOT APPLE)
    find_program(VORNLACE_SH_EXECUTABLE sh)
    add_test(NAME install_tree_complete
      COMMAND "${VORNLACE_SH_EXECUTABLE}"
              "${VORNLACE_PACKAGING_DIR}/check_install.sh"
              "${CMAKE_COMMAND}"
              "${CMAKE_BINARY_DIR}"
              "$<CONFIG>"
              "${CMAKE_INSTALL_BINDIR}"
              "${CMAKE_INSTALL_DATADIR}"
              "$<TARGET_FILE:vornlace>"
              "${VORNLACE_APP_ID}"
              "${_vornlace_icon_sizes_c}"
              ${_desktop_validate})
    set_tests_properties(install_tree_complete PROPERTIES LABELS packaging)
  endif()

  # The icons embedded in koch_app reach an executable that links it, and
  # both the PNGs and the .ico decode to the intended picture.
  add_executable(vornlace_icon_check "${VORNLACE_PACKAGING_DIR}/icon_check.cpp")
  target_link_libraries(vornlace_icon_check PRIVATE koch_app Qt6::Gui)
  target_compile_definitions(vornlace_icon_check PRIVATE
    VORNLACE_ICON_SIZES=${_vornlace_icon_sizes_c})
  add_test(NAME icon_resources_embedded
    COMMAND vornlace_icon_check "${VORNLACE_PACKAGING_DIR}/icons/vornlace.ico")
  set_tests_properties(icon_resources_embedded PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen")

  # `ctest -L packaging` runs just these, `ctest -LE packaging` all but them.
  set_tests_properties(desktop_entry_valid metainfo_valid icons_up_to_date
                       icon_resources_embedded PROPERTIES LABELS packaging)
endif()
