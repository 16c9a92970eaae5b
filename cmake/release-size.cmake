# Release builds of the MinGW-w64 target made small: code for size even where it costs a little
# speed (-Oz: the program works a few milliseconds a second), optimised across files at
# link time, every function and object in a section of its own so that the linker drops what
# nothing uses, and no verbose terminate handler (it writes to a console a windowed program does
# not have, and pulls in the C++ demangler), and no run-time type information (nothing asks a
# type its name; exceptions still carry theirs). Debug information is built, then moved out of
# the executable by corvane's link step (src/app) into a file beside it for crash analysis.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  add_compile_options("$<$<CONFIG:Release>:-Oz;-g;-flto;-ffunction-sections;-fdata-sections>"
                      "$<$<AND:$<CONFIG:Release>,$<COMPILE_LANGUAGE:CXX>>:-fno-rtti>")
  # One partition: split into several, GCC 12's link-time step for MinGW-w64 stops with an
  # internal error (binds_to_current_def_p).
  add_link_options("$<$<CONFIG:Release>:-Oz;-flto;-flto-partition=none;LINKER:--gc-sections>"
                   "$<$<CONFIG:Release>:LINKER:--defsym=_ZN9__gnu_cxx27__verbose_terminate_handlerEv=abort>")
endif()

# GNU ld keeps the unwind data of every function, and through it the function itself, so that
# --gc-sections drops little C++ code; the link of `target` is run through a script that drops
# the unwind data of unused functions with them.
function(corvane_gc_unwind_data target)
  if(MINGW AND CMAKE_BUILD_TYPE STREQUAL "Release")
    find_package(Python3 REQUIRED COMPONENTS Interpreter)
    set_property(TARGET ${target} PROPERTY RULE_LAUNCH_LINK
                 "${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/cmake/unwind_gc_link.py")
  endif()
endfunction()

# Moves the debug information of `target` into <file>.debug and leaves the executable
# stripped, with a link to that file that debuggers follow. objcopy writes the time it runs
# into a PE header it rewrites, unless SOURCE_DATE_EPOCH says another: 0, as the link left it.
function(corvane_split_debug_info target)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    return()
  endif()
  set(exe $<TARGET_FILE:${target}>)
  set(objcopy ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0 ${CMAKE_OBJCOPY})
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${objcopy} --only-keep-debug ${exe} ${exe}.debug
    COMMAND ${objcopy} --strip-all --add-gnu-debuglink=${exe}.debug ${exe}
    VERBATIM)
endfunction()
