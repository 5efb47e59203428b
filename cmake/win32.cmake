# Windows tree: the setup program, the demo product it carries, and the test
# programs that ctest runs under Wine.
enable_language(RC)
set(VANTOR_HOST_TOOLS "${CMAKE_SOURCE_DIR}/build/host" CACHE PATH "host tree with vantor-pack and vantor-manifest")
set(VANTOR_PACK ${VANTOR_HOST_TOOLS}/vantor-pack)
set(VANTOR_MANIFEST ${VANTOR_HOST_TOOLS}/vantor-manifest)
set(VANTOR_DESCRIPTION ${CMAKE_SOURCE_DIR}/resources/product.txt)
set(VANTOR_GENERATED ${CMAKE_BINARY_DIR}/generated)

# Small and self-contained: no exceptions or RTTI, unused sections dropped,
# the compiler's runtime linked in, and nothing that varies between builds
# (no time stamp in the PE header, no build paths).
set(CMAKE_BUILD_TYPE "" CACHE STRING "" FORCE)
set(VANTOR_WIN_FLAGS -Os -Wall -Wextra -fno-exceptions -fno-rtti
  -ffunction-sections -fno-asynchronous-unwind-tables
  -ffile-prefix-map=${CMAKE_SOURCE_DIR}=. -ffile-prefix-map=${CMAKE_BINARY_DIR}=.)
set(VANTOR_WIN_LINK -static -s -Wl,--gc-sections -Wl,--no-insert-timestamp)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${CMAKE_BINARY_DIR} -I${VANTOR_GENERATED} -I${CMAKE_SOURCE_DIR}/resources -I${CMAKE_SOURCE_DIR}/shell -I${CMAKE_SOURCE_DIR}/pages")

function(vantor_windows_program target)
  target_compile_options(${target} PRIVATE ${VANTOR_WIN_FLAGS})
  target_link_options(${target} PRIVATE ${VANTOR_WIN_LINK} -mwindows)
endfunction()

# The demo product's own programs.
add_subdirectory(quorvel)

# Pack every entry of the product description and generate the manifest,
# the product's identity header and the payload resource lines.
file(STRINGS ${VANTOR_DESCRIPTION} vantor_entry_lines REGEX "^entry[ \t]*\\|")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${VANTOR_DESCRIPTION})
set(vantor_packed)
set(vantor_sources)
foreach(line IN LISTS vantor_entry_lines)
  string(REPLACE "|" ";" fields "${line}")
  list(GET fields 3 resource)
  list(GET fields 5 source)
  string(STRIP "${resource}" resource)
  string(STRIP "${source}" source)
  if(source MATCHES "^@(.*)")
    set(source ${CMAKE_BINARY_DIR}/${CMAKE_MATCH_1})
  else()
    set(source ${CMAKE_SOURCE_DIR}/${source})
  endif()
  set(packed ${CMAKE_BINARY_DIR}/payload/${resource}.lz)
  # The tests under Wine compare installed files with these copies, which
  # they reach through the build tree's drive.
  list(GET fields 1 target)
  string(STRIP "${target}" target)
  set(copy "${CMAKE_BINARY_DIR}/product-files/${target}")
  add_custom_command(OUTPUT ${copy}
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${copy}
    DEPENDS ${source} quorvel_programs
    VERBATIM)
  list(APPEND vantor_product_copies ${copy})
  add_custom_command(OUTPUT ${packed}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/payload
    COMMAND ${VANTOR_PACK} pack ${source} ${packed}
    DEPENDS ${source} ${VANTOR_PACK} quorvel_programs
    VERBATIM)
  list(APPEND vantor_packed ${packed})
  list(APPEND vantor_sources ${source})
endforeach()
set(VANTOR_GENERATED_FILES
  ${VANTOR_GENERATED}/manifest_data.inc
  ${VANTOR_GENERATED}/product_identity.h
  ${VANTOR_GENERATED}/payload.rc
  ${VANTOR_GENERATED}/manifest.txt)
add_custom_command(OUTPUT ${VANTOR_GENERATED_FILES}
  COMMAND ${VANTOR_MANIFEST} ${VANTOR_DESCRIPTION} ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR} ${VANTOR_GENERATED}
  DEPENDS ${VANTOR_DESCRIPTION} ${VANTOR_MANIFEST} ${vantor_packed} ${vantor_sources}
  VERBATIM)
set(copy ${CMAKE_BINARY_DIR}/product-files/license.txt)
add_custom_command(OUTPUT ${copy}
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/resources/license.txt ${copy}
  DEPENDS ${CMAKE_SOURCE_DIR}/resources/license.txt
  VERBATIM)
list(APPEND vantor_product_copies ${copy})
add_custom_target(vantor_generated ALL DEPENDS ${VANTOR_GENERATED_FILES} ${vantor_product_copies})

set(VANTOR_INCLUDES ${VANTOR_GENERATED} ${CMAKE_SOURCE_DIR}/product ${CMAKE_SOURCE_DIR}/shell
  ${CMAKE_SOURCE_DIR}/pages ${CMAKE_SOURCE_DIR}/payload ${CMAKE_SOURCE_DIR}/system)
# Known DLLs only: the common controls are loaded from the system folder at
# run time (system/dll_search.h says why).
set(VANTOR_WIN_LIBS ole32 uuid shell32 gdi32 user32 advapi32 kernel32)

# Everything of the setup program but its entry point, so tests link it too.
file(GLOB VANTOR_APP_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/product/*.cpp ${CMAKE_SOURCE_DIR}/shell/*.cpp
  ${CMAKE_SOURCE_DIR}/pages/*.cpp ${CMAKE_SOURCE_DIR}/payload/*.cpp
  ${CMAKE_SOURCE_DIR}/system/*.cpp)
list(REMOVE_ITEM VANTOR_APP_SOURCES ${CMAKE_SOURCE_DIR}/shell/win_main.cpp)
add_library(vantor_app STATIC ${VANTOR_APP_SOURCES})
target_include_directories(vantor_app PUBLIC ${VANTOR_INCLUDES})
target_compile_options(vantor_app PRIVATE ${VANTOR_WIN_FLAGS})
add_dependencies(vantor_app vantor_generated)

add_executable(Vantor WIN32 ${CMAKE_SOURCE_DIR}/shell/win_main.cpp ${CMAKE_SOURCE_DIR}/resources/vantor.rc)
target_link_libraries(Vantor vantor_app ${VANTOR_WIN_LIBS})
vantor_windows_program(Vantor)
target_link_options(Vantor PRIVATE -nostartfiles -Wl,-e,_VantorStartup@0)
set_source_files_properties(${CMAKE_SOURCE_DIR}/resources/vantor.rc PROPERTIES
  OBJECT_DEPENDS "${VANTOR_GENERATED_FILES};${vantor_packed}")

# Windows tests, run by ctest through Wine.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
file(GLOB VANTOR_WIN_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/*.cpp)
if(VANTOR_WIN_TEST_SOURCES)
  # The Quorvel programs are not part of the setup program: the ledger's
  # store comes with the box it shows.
  add_executable(vantor-win32-tests ${VANTOR_WIN_TEST_SOURCES}
    ${CMAKE_SOURCE_DIR}/quorvel/product_window.cpp)
  target_link_libraries(vantor-win32-tests vantor_app quorvel_ledger gtest ${VANTOR_WIN_LIBS})
  target_include_directories(vantor-win32-tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/win32)
  target_link_options(vantor-win32-tests PRIVATE -static)
  add_dependencies(vantor-win32-tests Vantor)
  include(GoogleTest)
  # The time-zone cases run only in their own zone, below.
  gtest_discover_tests(vantor-win32-tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    TEST_FILTER -TimeZone.* WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  # The file times again in a zone whose offset is not a whole hour.
  add_test(NAME install_pass.file_times_kolkata COMMAND vantor-win32-tests
    --gtest_filter=InstallPass.WritesEveryEntryExactlyWithTheManifestTime:TimeZone.*
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  set_tests_properties(install_pass.file_times_kolkata PROPERTIES ENVIRONMENT TZ=Asia/Kolkata)
  add_test(NAME install_pass.full_disk COMMAND ${CMAKE_SOURCE_DIR}/tests/full_disk.sh ${CMAKE_BINARY_DIR})
  set_tests_properties(install_pass.full_disk PROPERTIES SKIP_RETURN_CODE 77)
endif()
include(${CMAKE_SOURCE_DIR}/cmake/e2e.cmake OPTIONAL)
