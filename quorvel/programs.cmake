# The demo product's own programs: the updater (a description's entry 1)
# and the main program, a small ledger (entry 2). Any product may use them:
# a setup builds them anew with its product's identity and icon (the
# uninstaller's: its own, else the setup's).

set(VANTOR_QUORVEL_DIR ${CMAKE_CURRENT_LIST_DIR})

# vantor_updater(TARGET IDENTITY_TARGET IDENTITY FILE)
function(vantor_updater target identity_target identity file)
  set(dir ${VANTOR_QUORVEL_DIR})
  add_executable(${target} WIN32 ${dir}/updater.cpp ${VANTOR_COMMON_DIR}/product_window.cpp)
  target_include_directories(${target} PRIVATE ${dir})
  vantor_program(${target} ${identity_target} ${identity} ${file} ${dir}/updater.rc
    ${identity}/uninstaller.ico)
endfunction()

# vantor_ledger(TARGET IDENTITY_TARGET IDENTITY FILE): the main program, and
# TARGET_store, the ledger's file with the box it shows, which the tests
# under Wine link too.
function(vantor_ledger target identity_target identity file)
  set(dir ${VANTOR_QUORVEL_DIR})
  add_library(${target}_store STATIC ${dir}/ledger_store.cpp ${dir}/ledger_file_format.cpp
    ${dir}/ledger_text.cpp)
  target_include_directories(${target}_store PUBLIC ${dir} ${identity} ${VANTOR_COMMON_DIR}
    ${CMAKE_SOURCE_DIR}/product ${CMAKE_SOURCE_DIR}/system)
  target_link_libraries(${target}_store PUBLIC vantor_common)
  target_compile_options(${target}_store PRIVATE ${VANTOR_WIN_FLAGS})
  add_dependencies(${target}_store ${identity_target})
  add_executable(${target} WIN32 ${dir}/main_program.cpp ${dir}/single_instance.cpp
    ${VANTOR_COMMON_DIR}/product_window.cpp)
  target_link_libraries(${target} PRIVATE ${target}_store)
  vantor_program(${target} ${identity_target} ${identity} ${file} ${dir}/main_program.rc
    ${identity}/uninstaller.ico)
endfunction()
