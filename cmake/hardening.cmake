# The Release build, the default, gets the flags Debian builds its own
# packages with: dpkg-buildflags with every hardening feature (fortified libc
# calls, stack protector, format checks, PIE, relocations read-only and bound
# at start-up), or the same set by hand where dpkg-buildflags is missing.
# -O2 as before and never -ffast-math: the game's timing rests on its
# single-precision sums. Both folders are mapped out of the debug info, and so
# out of the build-id a stripped program keeps: the same sources give the same
# program wherever they are built. Other build types and the sanitizer tree
# keep their own flags. Included with NO_POLICY_SCOPE for CMP0126.
if(NOT CMAKE_BUILD_TYPE STREQUAL Release OR MARROWICK_SANITIZE OR NOT CMAKE_SYSTEM_NAME STREQUAL Linux)
  return()
endif()

find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(DPKG_BUILDFLAGS)
  # Run in the source folder, which its -ffile-prefix-map then maps to ".".
  foreach(var CPPFLAGS CFLAGS CXXFLAGS LDFLAGS)
    execute_process(
      COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all ${DPKG_BUILDFLAGS} --get ${var}
      WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
      OUTPUT_VARIABLE ${var} OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "dpkg-buildflags --get ${var} failed")
    endif()
  endforeach()
else()
  set(CPPFLAGS -D_FORTIFY_SOURCE=2)
  set(CFLAGS "-g -O2 -ffile-prefix-map=${CMAKE_SOURCE_DIR}=. -fstack-protector-strong -Wformat -Werror=format-security")
  set(CXXFLAGS ${CFLAGS})
  set(LDFLAGS "-Wl,-z,relro -Wl,-z,now")
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
  include(CheckPIESupported)
  check_pie_supported()  # so that executables are linked with -pie too
endif()
message(STATUS "Release flags: ${CPPFLAGS} ${CXXFLAGS} ${LDFLAGS}")

# The compiler runs in the build folder, which the debug info names; mapped
# last, it takes precedence where it lies inside the source folder.
set(buildmap -ffile-prefix-map=${CMAKE_BINARY_DIR}=build)
foreach(lang C CXX)
  set(CMAKE_${lang}_FLAGS_RELEASE "${CPPFLAGS} ${${lang}FLAGS} ${buildmap} -DNDEBUG")
endforeach()
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_RELEASE ${LDFLAGS})
endforeach()
# C is enabled later, in tests/ and tools/; its cache entries must not hide these.
if(POLICY CMP0126)
  cmake_policy(SET CMP0126 NEW)
endif()
