# Vantor's uninstaller, one program for every product. Each setup builds it
# anew with its product's identity and icon, which the generator writes
# into one folder (product_identity.h, application.manifest,
# uninstaller.ico).

set(VANTOR_UNINSTALLER_DIR ${CMAKE_CURRENT_LIST_DIR})

# vantor_uninstaller(TARGET IDENTITY_TARGET IDENTITY FILE): the uninstaller
# of the product whose identity is in IDENTITY, linked as FILE.
function(vantor_uninstaller target identity_target identity file)
  set(dir ${VANTOR_UNINSTALLER_DIR})
  add_executable(${target} WIN32 ${dir}/uninstaller.cpp ${dir}/product_texts.cpp
    ${dir}/uninstall_window.cpp ${dir}/uninstall_records.cpp ${dir}/uninstall_files.cpp
    ${dir}/uninstall_links.cpp ${dir}/name_deletion.cpp ${dir}/folder_checks.cpp ${dir}/self_erase.cpp ${dir}/removal_rules.cpp
    ${dir}/end_text.cpp ${VANTOR_COMMON_DIR}/product_window.cpp)
  vantor_program(${target} ${identity_target} ${identity} ${file} ${dir}/uninstaller.rc
    ${identity}/uninstaller.ico)
  # It reads its links through the shell's link object.
  target_link_libraries(${target} PRIVATE ole32 uuid)
endfunction()
