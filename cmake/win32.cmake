# Windows tree: setups built from product folders, with the programs of
# ours they carry. Configured with VANTOR_PRODUCT (a product folder), it
# builds that one product's setup and nothing else (scripts/build-setup.sh);
# without, the demo product's and the second product's setups and the tests
# that run under Wine.
enable_language(RC)
set(VANTOR_HOST_TOOLS "${CMAKE_SOURCE_DIR}/build/host" CACHE PATH "host tree with vantor-pack and vantor-manifest")
set(VANTOR_PRODUCT "" CACHE PATH "the product folder whose setup alone this tree builds")
set(VANTOR_PACK ${VANTOR_HOST_TOOLS}/vantor-pack)
set(VANTOR_MANIFEST ${VANTOR_HOST_TOOLS}/vantor-manifest)
set(VANTOR_HEADERS ${VANTOR_HOST_TOOLS}/vantor-headers)

# Small and self-contained: no exceptions or RTTI, unused sections dropped,
# the compiler's runtime linked in, and nothing that varies between builds
# (no time stamp in the PE header, no build paths).
# The code generation is chosen for size, as Windows' own 32-bit rules
# allow: arguments pushed rather than stored into a reserved area, no frame
# pointer, the stack kept at the 4-byte alignment Windows guarantees and
# data at the alignment its type needs (no code here needs more). The
# compiler's call to the runtime's stack probe works only with stored
# arguments, so the stack is probed inline instead: a frame of a page or
# more touches each page in order, as Windows' guard page needs, and
# pushes and calls touch the stack as they go.
set(CMAKE_BUILD_TYPE "" CACHE STRING "" FORCE)
set(VANTOR_WIN_FLAGS -Oz -Wall -Wextra -fno-exceptions -fno-rtti
  -ffunction-sections -fno-asynchronous-unwind-tables
  -fomit-frame-pointer -mpreferred-stack-boundary=2 -mno-align-stringops -malign-data=abi
  -mno-accumulate-outgoing-args -mno-stack-arg-probe -fstack-clash-protection
  -ffile-prefix-map=${CMAKE_SOURCE_DIR}=. -ffile-prefix-map=${CMAKE_BINARY_DIR}=.)
set(VANTOR_WIN_LINK -static -s -Wl,--gc-sections -Wl,--no-insert-timestamp)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${CMAKE_SOURCE_DIR}/resources -I${CMAKE_SOURCE_DIR}/shell -I${CMAKE_SOURCE_DIR}/pages")

function(vantor_windows_program target)
  target_compile_options(${target} PRIVATE ${VANTOR_WIN_FLAGS})
  target_link_options(${target} PRIVATE ${VANTOR_WIN_LINK} -mwindows)
endfunction()

include(${CMAKE_SOURCE_DIR}/cmake/sign.cmake)

set(VANTOR_INCLUDES ${CMAKE_SOURCE_DIR}/product ${CMAKE_SOURCE_DIR}/shell
  ${CMAKE_SOURCE_DIR}/pages ${CMAKE_SOURCE_DIR}/payload ${CMAKE_SOURCE_DIR}/system)
# Known DLLs only: the common controls are loaded from the system folder at
# run time (system/dll_search.h says why).
set(VANTOR_WIN_LIBS ole32 uuid shell32 gdi32 user32 advapi32 kernel32)

# The setup's code that the programs of ours share, compiled once for all
# of them in the tree. (The setup compiles its own, to optimise it whole.)
add_library(vantor_common STATIC
  ${CMAKE_SOURCE_DIR}/product/path_helpers.cpp ${CMAKE_SOURCE_DIR}/product/command_line.cpp
  ${CMAKE_SOURCE_DIR}/system/dll_search.cpp ${CMAKE_SOURCE_DIR}/system/run_log.cpp
  ${CMAKE_SOURCE_DIR}/system/file_names.cpp ${CMAKE_SOURCE_DIR}/system/folder_chain.cpp
  ${CMAKE_SOURCE_DIR}/system/folder_access.cpp ${CMAKE_SOURCE_DIR}/system/access_rules.cpp
  ${CMAKE_SOURCE_DIR}/system/link_target.cpp)
target_include_directories(vantor_common PUBLIC ${VANTOR_INCLUDES})
target_compile_options(vantor_common PRIVATE ${VANTOR_WIN_FLAGS})
# The setup's code, built for each product.
file(GLOB VANTOR_APP_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/product/*.cpp ${CMAKE_SOURCE_DIR}/shell/*.cpp
  ${CMAKE_SOURCE_DIR}/pages/*.cpp ${CMAKE_SOURCE_DIR}/payload/*.cpp
  ${CMAKE_SOURCE_DIR}/system/*.cpp)
list(REMOVE_ITEM VANTOR_APP_SOURCES ${CMAKE_SOURCE_DIR}/shell/win_main.cpp)

include(${CMAKE_SOURCE_DIR}/common/common.cmake)
include(${CMAKE_SOURCE_DIR}/uninstaller/uninstaller.cmake)
include(${CMAKE_SOURCE_DIR}/quorvel/programs.cmake)
include(${CMAKE_SOURCE_DIR}/cmake/setup.cmake)

if(VANTOR_PRODUCT)
  vantor_setup(Setup setup_app ${VANTOR_PRODUCT} ${CMAKE_BINARY_DIR})
  # The end-to-end driver for this product, built only when asked for
  # (run.sh, and the test of a product made at test time).
  include(${CMAKE_SOURCE_DIR}/cmake/e2e.cmake)
  vantor_driver(vantor-driver Setup ${CMAKE_BINARY_DIR})
  set_target_properties(vantor-driver PROPERTIES EXCLUDE_FROM_ALL ON)
  return()
endif()

# The demo product's setup, in the tree's root: Vantor.exe; and the second
# product's, in second/.
vantor_setup(Vantor vantor_app ${CMAKE_SOURCE_DIR}/products/quorvel ${CMAKE_BINARY_DIR})
include(${CMAKE_SOURCE_DIR}/cmake/second_product.cmake)
# Each setup's package manager manifest names its hash, and the demo's is
# the one packaging/winget/ publishes.
add_test(NAME WingetManifest.built_beside_each_setup COMMAND ${CMAKE_SOURCE_DIR}/tests/package_manifests.sh
  ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR})
# A setup without its own picture takes its main program's icon: the demo's
# gives back the icon it was built from, windres having kept each image.
add_test(NAME ProgramIcon.taken_from_the_built_program COMMAND sh -c "\"$0\" icon \"$1\" /dev/null \"$2\" && cmp \"$2\" \"$3\""
  ${VANTOR_PACK} $<TARGET_FILE:Vantor_program> ${CMAKE_CURRENT_BINARY_DIR}/program-icon.ico
  ${CMAKE_SOURCE_DIR}/quorvel/Quorvel.ico)
# Signing through the publisher's own command, on a copy of the setup.
add_test(NAME build.sign_command COMMAND ${CMAKE_SOURCE_DIR}/tests/sign_command.sh
  $<TARGET_FILE:Vantor>)
set_tests_properties(build.sign_command PROPERTIES SKIP_RETURN_CODE 77)

# Windows tests, run by ctest through Wine.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
file(GLOB VANTOR_WIN_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/*.cpp)
if(VANTOR_WIN_TEST_SOURCES)
  # The uninstaller and the ledger are not part of the setup program: the
  # tests take the parts they check, built with the demo's identity.
  add_executable(vantor-win32-tests ${VANTOR_WIN_TEST_SOURCES}
    ${CMAKE_SOURCE_DIR}/common/product_window.cpp ${CMAKE_SOURCE_DIR}/uninstaller/end_text.cpp
    ${CMAKE_SOURCE_DIR}/uninstaller/name_deletion.cpp ${CMAKE_SOURCE_DIR}/uninstaller/product_texts.cpp)
  target_link_libraries(vantor-win32-tests vantor_app Vantor_program_store gtest ${VANTOR_WIN_LIBS} imagehlp)
  target_include_directories(vantor-win32-tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/win32
    ${CMAKE_SOURCE_DIR}/uninstaller)
  target_link_options(vantor-win32-tests PRIVATE -static)
  add_dependencies(vantor-win32-tests Vantor)
  include(GoogleTest)
  # These tests share a prefix and its display, so each takes one of the
  # shared prefixes test.sh offers ctest (see vantor_use_test_prefix in
  # scripts/wine-env.sh) and has it alone. Their cost is above any
  # end-to-end scenario's, so that the prefixes are never idle while the
  # scenarios take the other places.
  set(shared_prefix RESOURCE_GROUPS prefixes:1 COST 100)
  # The time-zone cases run only in their own zone, and the cases that
  # need the host (links, a swap, a restart) only from their scripts, below.
  gtest_discover_tests(vantor-win32-tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    TEST_FILTER -TimeZone.*:LinkedDestination.*:LinkedPages.*:SwappedDestination.*:PendingRestart.*
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR} PROPERTIES ${shared_prefix})
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
  set_tests_properties(install_pass.file_times_kolkata install_pass.full_disk
    install_pass.linked_destination install_pass.swapped_destination install_pass.pending_deletion
    PROPERTIES ${shared_prefix})
endif()
include(${CMAKE_SOURCE_DIR}/cmake/e2e.cmake)
vantor_e2e_scenarios()
