# A file the description names: "@" ones are built under ROOT, the others
# lie in the sources.
function(vantor_source_path out source root)
  if(source MATCHES "^@(.*)")
    set(${out} ${root}/${CMAKE_MATCH_1} PARENT_SCOPE)
  else()
    set(${out} ${CMAKE_SOURCE_DIR}/${source} PARENT_SCOPE)
  endif()
endfunction()

# The setup alone is optimised whole at the link, as one piece of code:
# what nothing calls is gone by then, so its functions need no sections of
# their own (each would be padded to 4 bytes). Its library calls are
# plain calls (no built-in forms): the linker (binutils 2.40) crashes when
# the optimised code asks for a library member no object asked for before
# it, and built-in calls are not named in the objects. For the same reason
# the setup does no 64-bit division, whose helper only that code would ask
# for.
set(VANTOR_SETUP_FLAGS -flto -fno-builtin)

# The files of the description's lines whose key (and picture name) match
# KEYS, a regular expression such as "picture[ \t]+setup|licence".
function(vantor_named_files out description root keys)
  file(STRINGS ${description} lines REGEX "^(${keys})[ \t]")
  set(files)
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^(${keys})[ \t]+" "" source "${line}")
    string(STRIP "${source}" source)
    vantor_source_path(source "${source}" ${root})
    list(APPEND files ${source})
  endforeach()
  set(${out} ${files} PARENT_SCOPE)
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
  # Everything that can be checked before the build is checked before the
  # rules are made, so a mistake is told by the description's line and not
  # by a rule missing its file.
  if(EXISTS ${VANTOR_MANIFEST})
    execute_process(COMMAND ${VANTOR_MANIFEST} --check ${description} ${CMAKE_SOURCE_DIR} ${root}
      RESULT_VARIABLE problems ERROR_VARIABLE told)
    if(problems)
      message(NOTICE "${told}")
      message(FATAL_ERROR "${description} has the problems above; nothing was built")
    endif()
  endif()
  file(STRINGS ${description} entry_lines REGEX "^entry[ \t]*\\|")
  # Files the description names besides the entries: the generator reads
  # them, so a change to one rebuilds the setup.
  vantor_named_files(named_files ${description} ${root} "picture[ \t]+[A-Za-z]+|licence")
  # The pictures the product does not bring are painted for it, so they
  # always carry this description's names.
  set(painted ${root}/pictures/painted.stamp)
  add_custom_command(OUTPUT ${painted}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${root}/pictures
    COMMAND ${VANTOR_HOST_TOOLS}/paint-resources ${root}/pictures ${description}
    COMMAND ${CMAKE_COMMAND} -E touch ${painted}
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
    if(source STREQUAL "@uninstaller")
      set(source ${root}/uninstaller/${name})
    else()
      vantor_source_path(source "${source}" ${root})
    endif()
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
    ${generated}/application.manifest ${generated}/uninstaller.ico ${generated}/license.txt
    ${generated}/payload.rc ${generated}/setup_files.rc ${generated}/manifest.txt)
  add_custom_command(OUTPUT ${outputs}
    COMMAND ${VANTOR_MANIFEST} ${description} ${CMAKE_SOURCE_DIR} ${root} ${generated}
    DEPENDS ${description} ${VANTOR_MANIFEST} ${packed_files} ${sources} ${named_files} ${painted}
    VERBATIM)
  # The licence as the setup carries it, converted by the generator.
  set(copy ${root}/product-files/license.txt)
  add_custom_command(OUTPUT ${copy}
    COMMAND ${CMAKE_COMMAND} -E copy ${generated}/license.txt ${copy}
    DEPENDS ${outputs}
    VERBATIM)
  list(APPEND copies ${copy})
  add_custom_target(${target}_generated ALL DEPENDS ${outputs} ${copies})

  # Everything of the setup program but its entry point, so tests link it too:
  # as ordinary code for them, and as the compiler's intermediate form for
  # the setup, which is optimised as one whole at the link.
  add_library(${app} STATIC ${VANTOR_APP_SOURCES})
  target_include_directories(${app} PUBLIC ${generated} ${VANTOR_INCLUDES})
  target_compile_options(${app} PRIVATE ${VANTOR_WIN_FLAGS} ${VANTOR_SETUP_FLAGS} -ffat-lto-objects)
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
  target_compile_options(${target} PRIVATE ${VANTOR_SETUP_FLAGS})
  target_link_options(${target} PRIVATE -nostartfiles -Wl,-e,_VantorStartup@0
    ${VANTOR_WIN_FLAGS} ${VANTOR_SETUP_FLAGS} -flto-partition=one -fno-function-sections
    -Wl,-T,${CMAKE_SOURCE_DIR}/cmake/setup.ld -Wl,--orphan-handling=error)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${CMAKE_SOURCE_DIR}/cmake/setup.ld)
  vantor_sign(${target})
  set_source_files_properties(${script} PROPERTIES OBJECT_DEPENDS "${outputs};${packed_files}")
endfunction()
