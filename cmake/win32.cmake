# Windows tree: the setup program, the demo product it carries, and the test
# programs that ctest runs under Wine.
enable_language(RC)
set(VANTOR_HOST_TOOLS "${CMAKE_SOURCE_DIR}/build/host" CACHE PATH "host tree with vantor-pack and vantor-manifest")
set(VANTOR_PACK ${VANTOR_HOST_TOOLS}/vantor-pack)
set(VANTOR_MANIFEST ${VANTOR_HOST_TOOLS}/vantor-manifest)
set(VANTOR_DESCRIPTION ${CMAKE_SOURCE_DIR}/products/quorvel/product.txt)
set(VANTOR_GENERATED ${CMAKE_BINARY_DIR}/generated)

# Small and self-contained: no exceptions or RTTI, unused sections dropped,
# the compiler's runtime linked in, and nothing that varies between builds
# (no time stamp in the PE header, no build paths).
set(CMAKE_BUILD_TYPE "" CACHE STRING "" FORCE)
set(VANTOR_WIN_FLAGS -Os -Wall -Wextra -fno-exceptions -fno-rtti
  -ffunction-sections -fno-asynchronous-unwind-tables
  -ffile-prefix-map=${CMAKE_SOURCE_DIR}=. -ffile-prefix-map=${CMAKE_BINARY_DIR}=.)
set(VANTOR_WIN_LINK -static -s -Wl,--gc-sections -Wl,--no-insert-timestamp)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${CMAKE_SOURCE_DIR}/resources -I${CMAKE_SOURCE_DIR}/shell -I${CMAKE_SOURCE_DIR}/pages")

function(vantor_windows_program target)
  target_compile_options(${target} PRIVATE ${VANTOR_WIN_FLAGS})
  target_link_options(${target} PRIVATE ${VANTOR_WIN_LINK} -mwindows)
endfunction()

include(${CMAKE_SOURCE_DIR}/cmake/sign.cmake)

# The demo product's own programs.
add_subdirectory(quorvel)

set(VANTOR_INCLUDES ${CMAKE_SOURCE_DIR}/product ${CMAKE_SOURCE_DIR}/shell
  ${CMAKE_SOURCE_DIR}/pages ${CMAKE_SOURCE_DIR}/payload ${CMAKE_SOURCE_DIR}/system)
# Known DLLs only: the common controls are loaded from the system folder at
# run time (system/dll_search.h says why).
set(VANTOR_WIN_LIBS ole32 uuid shell32 gdi32 user32 advapi32 kernel32)
file(GLOB VANTOR_APP_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/product/*.cpp ${CMAKE_SOURCE_DIR}/shell/*.cpp
  ${CMAKE_SOURCE_DIR}/pages/*.cpp ${CMAKE_SOURCE_DIR}/payload/*.cpp
  ${CMAKE_SOURCE_DIR}/system/*.cpp)
list(REMOVE_ITEM VANTOR_APP_SOURCES ${CMAKE_SOURCE_DIR}/shell/win_main.cpp)

# Quorvel's setup, in the tree's root: Vantor.exe.
include(${CMAKE_SOURCE_DIR}/cmake/setup.cmake)
vantor_setup(Vantor vantor_app ${VANTOR_DESCRIPTION} ${CMAKE_BINARY_DIR} quorvel_programs)
include(${CMAKE_SOURCE_DIR}/cmake/second_product.cmake)

# Windows tests, run by ctest through Wine.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
file(GLOB VANTOR_WIN_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/*.cpp)
if(VANTOR_WIN_TEST_SOURCES)
  # The Quorvel programs are not part of the setup program: the ledger's
  # store comes with the box it shows.
  add_executable(vantor-win32-tests ${VANTOR_WIN_TEST_SOURCES}
    ${CMAKE_SOURCE_DIR}/uninstaller/product_window.cpp ${CMAKE_SOURCE_DIR}/uninstaller/end_text.cpp
    ${CMAKE_SOURCE_DIR}/uninstaller/name_deletion.cpp)
  target_link_libraries(vantor-win32-tests vantor_app quorvel_ledger gtest ${VANTOR_WIN_LIBS})
  target_include_directories(vantor-win32-tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/win32)
  target_link_options(vantor-win32-tests PRIVATE -static)
  add_dependencies(vantor-win32-tests Vantor)
  include(GoogleTest)
  # The time-zone cases run only in their own zone, and the cases that
  # need the host (links, a swap, a restart) only from their scripts, below.
  gtest_discover_tests(vantor-win32-tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    TEST_FILTER -TimeZone.*:LinkedDestination.*:LinkedPages.*:SwappedDestination.*:PendingRestart.*
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  # The file times again in a zone whose offset is not a whole hour.
  add_test(NAME install_pass.file_times_kolkata COMMAND vantor-win32-tests
    --gtest_filter=InstallPass.WritesEveryEntryExactlyWithTheManifestTime:TimeZone.*
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  set_tests_properties(install_pass.file_times_kolkata PROPERTIES ENVIRONMENT TZ=Asia/Kolkata)
  add_test(NAME install_pass.full_disk COMMAND ${CMAKE_SOURCE_DIR}/tests/full_disk.sh ${CMAKE_BINARY_DIR})
  set_tests_properties(install_pass.full_disk PROPERTIES SKIP_RETURN_CODE 77)
  add_test(NAME install_pass.linked_destination
    COMMAND ${CMAKE_SOURCE_DIR}/tests/linked_destination.sh ${CMAKE_BINARY_DIR})
  add_test(NAME install_pass.swapped_destination
    COMMAND ${CMAKE_SOURCE_DIR}/tests/swapped_destination.sh ${CMAKE_BINARY_DIR})
  add_test(NAME install_pass.pending_deletion
    COMMAND ${CMAKE_SOURCE_DIR}/tests/pending_deletion.sh ${CMAKE_BINARY_DIR})
endif()
include(${CMAKE_SOURCE_DIR}/cmake/e2e.cmake OPTIONAL)
