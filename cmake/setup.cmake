# A file the description names: "@" ones are built under ROOT, the others
# lie in the sources.
function(vantor_source_path out source root)
  if(source MATCHES "^@(.*)")
    set(${out} ${root}/${CMAKE_MATCH_1} PARENT_SCOPE)
  else()
    set(${out} ${CMAKE_SOURCE_DIR}/${source} PARENT_SCOPE)
  endif()
endfunction()

# vantor_setup(TARGET APP DESCRIPTION ROOT PROGRAMS): builds the setup of the
# product a description names into ROOT: the packed payload in ROOT/payload,
# the generated manifest, identity and resource lines in ROOT/generated,
# copies of the product's files and licence in ROOT/product-files (the tests
# compare installed files with them), the setup's code as the static
# library APP and the setup itself as ROOT/Vantor.exe. PROGRAMS is the
# target that builds the product's own programs ("@" sources, under ROOT).
function(vantor_setup target app description root programs)
  set(generated ${root}/generated)
  # Which description this setup is built from, for the tests that check it.
  file(WRITE ${root}/description.path "${description}\n")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${description})
  file(STRINGS ${description} entry_lines REGEX "^entry[ \t]*\\|")
  # Files the description names besides the entries: the generator reads
  # them, so a change to one rebuilds the setup.
  file(STRINGS ${description} file_lines REGEX "^(picture|licence)[ \t]")
  set(named_files)
  set(licence ${CMAKE_SOURCE_DIR}/products/quorvel/license.txt)
  foreach(line IN LISTS file_lines)
    string(REGEX REPLACE "^(picture[ \t]+[A-Za-z]+|licence)[ \t]+" "" source "${line}")
    string(STRIP "${source}" source)
    vantor_source_path(source "${source}" ${root})
    list(APPEND named_files ${source})
    if(line MATCHES "^licence")
      set(licence ${source})
    endif()
  endforeach()
  # The pictures the product does not bring are painted for it, so they
  # always carry this description's names.
  set(painted)
  foreach(name computer.bmp startmenu.bmp banner.bmp strip.bmp line.bmp setup.ico shortcut.ico)
    list(APPEND painted ${root}/pictures/${name})
  endforeach()
  add_custom_command(OUTPUT ${painted}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${root}/pictures
    COMMAND ${VANTOR_HOST_TOOLS}/paint-resources ${root}/pictures ${description}
    DEPENDS ${description} ${VANTOR_HOST_TOOLS}/paint-resources
    VERBATIM)

  set(packed_files)
  set(sources)
  set(copies)
  foreach(line IN LISTS entry_lines)
    string(REPLACE "|" ";" fields "${line}")
    list(GET fields 1 name)
    list(GET fields 3 resource)
    list(GET fields 5 source)
    string(STRIP "${name}" name)
    string(STRIP "${resource}" resource)
    string(STRIP "${source}" source)
    set(built ${source})
    vantor_source_path(source "${source}" ${root})
    # Programs the publisher brings ready-made are signed as copies in
    # ROOT/signed, which the generator then takes for them; those the tree
    # builds are signed as they are linked.
    if(VANTOR_SIGN AND NOT built MATCHES "^@" AND name MATCHES "\\.([Ee][Xx][Ee]|[Dd][Ll][Ll])$")
      set(signed "${root}/signed/${name}")
      add_custom_command(OUTPUT ${signed}
        COMMAND ${CMAKE_COMMAND} -E copy ${source} ${signed}
        COMMAND ${CMAKE_SOURCE_DIR}/scripts/sign.sh ${signed}
        DEPENDS ${source}
        VERBATIM)
      set(source ${signed})
    endif()
    set(copy "${root}/product-files/${name}")
    add_custom_command(OUTPUT ${copy}
      COMMAND ${CMAKE_COMMAND} -E copy ${source} ${copy}
      DEPENDS ${source} ${programs}
      VERBATIM)
    list(APPEND copies ${copy})
    set(packed ${root}/payload/${resource}.lz)
    add_custom_command(OUTPUT ${packed}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${root}/payload
      COMMAND ${VANTOR_PACK} pack ${source} ${packed}
      DEPENDS ${source} ${VANTOR_PACK} ${programs}
      VERBATIM)
    list(APPEND packed_files ${packed})
    list(APPEND sources ${source})
  endforeach()
  set(outputs ${generated}/manifest_data.inc ${generated}/product_identity.h
    ${generated}/application.manifest
    ${generated}/payload.rc ${generated}/setup_files.rc ${generated}/manifest.txt)
  add_custom_command(OUTPUT ${outputs}
    COMMAND ${VANTOR_MANIFEST} ${description} ${CMAKE_SOURCE_DIR} ${root} ${generated}
    DEPENDS ${description} ${VANTOR_MANIFEST} ${packed_files} ${sources} ${named_files} ${painted}
    VERBATIM)
  set(copy ${root}/product-files/license.txt)
  add_custom_command(OUTPUT ${copy}
    COMMAND ${CMAKE_COMMAND} -E copy ${licence} ${copy}
    DEPENDS ${licence}
    VERBATIM)
  list(APPEND copies ${copy})
  add_custom_target(${target}_generated ALL DEPENDS ${outputs} ${copies})

  # Everything of the setup program but its entry point, so tests link it too.
  add_library(${app} STATIC ${VANTOR_APP_SOURCES})
  target_include_directories(${app} PUBLIC ${generated} ${VANTOR_INCLUDES})
  target_compile_options(${app} PRIVATE ${VANTOR_WIN_FLAGS})
  add_dependencies(${app} ${target}_generated)

  # A resource script of its own for each setup, so each depends on its
  # own generated files.
  set(script ${root}/setup.rc)
  file(CONFIGURE OUTPUT ${script} CONTENT "#include \"vantor.rc\"\n")
  add_executable(${target} WIN32 ${CMAKE_SOURCE_DIR}/shell/win_main.cpp ${script})
  set_target_properties(${target} PROPERTIES OUTPUT_NAME Vantor RUNTIME_OUTPUT_DIRECTORY ${root})
  # The resource script finds the payload's "payload/NAME.lz" under ROOT.
  target_include_directories(${target} PRIVATE ${root})
  target_link_libraries(${target} ${app} ${VANTOR_WIN_LIBS})
  vantor_windows_program(${target})
  target_link_options(${target} PRIVATE -nostartfiles -Wl,-e,_VantorStartup@0)
  vantor_sign(${target})
  set_source_files_properties(${script} PROPERTIES OBJECT_DEPENDS "${outputs};${packed_files}")
endfunction()
