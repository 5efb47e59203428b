# What every program of ours is built with, the uninstaller and the demo
# product's programs alike: the window class and message box with the
# product's icons, and the version record, each program built anew with
# its product's identity.

set(VANTOR_COMMON_DIR ${CMAKE_CURRENT_LIST_DIR})

# vantor_program(TARGET IDENTITY_TARGET IDENTITY FILE SCRIPT ICON): what a
# program of ours shares: the identity IDENTITY_TARGET writes into the
# folder IDENTITY (and the table's sizes beside it, in ../table), the
# resource script SCRIPT (through a copy of its own
# beside the identity, so that each product's build depends on its own
# files) with the icon ICON, and the file FILE it is linked as.
function(vantor_program target identity_target identity file script icon)
  get_filename_component(folder ${file} DIRECTORY)
  get_filename_component(name ${file} NAME)
  set(own_script ${identity}/${target}.rc)
  file(CONFIGURE OUTPUT ${own_script} CONTENT "#include \"${script}\"\n")
  target_sources(${target} PRIVATE ${own_script})
  set_source_files_properties(${own_script} PROPERTIES OBJECT_DEPENDS
    "${VANTOR_COMMON_DIR}/product_version.rc;${icon};${identity}/product_identity.h;${identity}/application.manifest")
  add_dependencies(${target} ${identity_target})
  get_filename_component(root ${identity} DIRECTORY)
  set_target_properties(${target} PROPERTIES OUTPUT_NAME ${name} SUFFIX "" RUNTIME_OUTPUT_DIRECTORY ${folder})
  target_include_directories(${target} PRIVATE ${identity} ${root}/table ${VANTOR_COMMON_DIR}
    ${CMAKE_SOURCE_DIR}/product ${CMAKE_SOURCE_DIR}/system)
  # Every program restricts its DLL search first thing, from the setup's
  # own source in vantor_common.
  target_link_libraries(${target} PRIVATE vantor_common shell32 advapi32 user32 gdi32 kernel32)
  vantor_windows_program(${target})
  # Sections aligned to 1 KB in the file make each program a whole number
  # of the installer's 1024-byte output blocks, so installing them takes
  # the path where the last block is full and nothing is left to flush.
  target_link_options(${target} PRIVATE -Wl,--file-alignment,1024)
  vantor_sign(${target})
endfunction()
