# Installs the build into a scratch prefix (cmake --install) or builds the Debian package and
# unpacks it (cpack, dpkg-deb -x), then checks that exactly the expected files are there, none
# writable by others, the rule and entry as in the sources, and the installed program runs.
#   cmake -DMODE=install|package -DBUILD=<build dir> -DSOURCE=<source dir> -DWORK=<scratch>
#         -DVERSION=<x.y.z.w> -P check_installation.cmake
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${ARGN}: status ${status}\n${out}${err}")
  endif()
  set(output "${out}" PARENT_SCOPE)
endfunction()

if(MODE STREQUAL "install")
  set(root "${WORK}/prefix")
  run(${CMAKE_COMMAND} --install "${BUILD}" --prefix "${root}")
  set(prefix "")
elseif(MODE STREQUAL "package")
  run(${CMAKE_COMMAND} -E chdir "${BUILD}" cpack -G DEB -B "${WORK}/out")
  file(GLOB debs "${WORK}/out/*.deb")
  list(LENGTH debs count)
  if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one package, found: ${debs}")
  endif()
  get_filename_component(name "${debs}" NAME)
  if(NOT name MATCHES "^ferrowind_${VERSION}_[a-z0-9]+\\.deb$")
    message(FATAL_ERROR "package name ${name}")
  endif()
  set(root "${WORK}/root")
  run(dpkg-deb -x "${debs}" "${root}")
  run(dpkg-deb -f "${debs}" Package Version Depends)
  set(fields "${output}")
  foreach(expected "Package: ferrowind" "Version: ${VERSION}" "libqt6widgets6" "libhidapi-hidraw0"
          "libudev1" "qt6-qpa-plugins")
    string(FIND "${fields}" "${expected}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "the package's control fields lack ${expected}:\n${fields}")
    endif()
  endforeach()
  run(dpkg-deb -c "${debs}")
  if("\n${output}" MATCHES "\n[-dl].......w")
    message(FATAL_ERROR "something in the package is writable by others:\n${output}")
  endif()
  set(prefix "usr/")
else()
  message(FATAL_ERROR "MODE must be install or package")
endif()

file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${root}" "${root}/*")
list(SORT files)
set(expected
  "${prefix}bin/ferrowind"
  "${prefix}lib/udev/rules.d/70-ferrowind.rules"
  "${prefix}share/applications/ferrowind.desktop"
  "${prefix}share/icons/hicolor/64x64/apps/ferrowind.png")
if(NOT files STREQUAL expected)
  message(FATAL_ERROR "installed files:\n  ${files}\nexpected:\n  ${expected}")
endif()

foreach(pair "udev/70-ferrowind.rules;lib/udev/rules.d/70-ferrowind.rules"
             "desktop/ferrowind.desktop;share/applications/ferrowind.desktop")
  list(GET pair 0 source)
  list(GET pair 1 installed)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${SOURCE}/packaging/${source}"
                          "${root}/${prefix}${installed}" RESULT_VARIABLE differs)
  if(differs)
    message(FATAL_ERROR "${installed} differs from packaging/${source}")
  endif()
endforeach()

# The installed program itself answers, without a display.
set(ENV{DISPLAY} "")
set(ENV{QT_QPA_PLATFORM} "xcb")
run("${root}/${prefix}bin/ferrowind" --version)
if(NOT output MATCHES "^ferrowind ${VERSION}\n")
  message(FATAL_ERROR "the installed program says:\n${output}")
endif()
message(STATUS "${MODE}: ${files}")
