# Where `cmake --install` puts the program, and in a folder of their own its module and the platform
# library the two share (one copy of each service for both). The program finds the module through
# the relative path from its own folder to that folder, and the build tree keeps that relation, so
# one program runs from either without naming a build folder.
set(ZELVAR_INSTALL_LIBDIR lib/zelvar CACHE STRING "Folder of zelvarplug.so and the platform library, relative to the prefix")
foreach(dir CMAKE_INSTALL_BINDIR ZELVAR_INSTALL_LIBDIR)
  if(IS_ABSOLUTE "${${dir}}")
    message(FATAL_ERROR "${dir} must be relative to the prefix: the program finds its module through it")
  endif()
endforeach()
file(RELATIVE_PATH libdir_from_program /${CMAKE_INSTALL_BINDIR} /${ZELVAR_INSTALL_LIBDIR})

get_target_property(program_build_dir zelvar-home BINARY_DIR)
cmake_path(ABSOLUTE_PATH libdir_from_program BASE_DIRECTORY ${program_build_dir} NORMALIZE
           OUTPUT_VARIABLE module_build_dir)
set_target_properties(zelvarplug zelvar_platform PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${module_build_dir})
target_compile_definitions(host_hosting PRIVATE
  ZELVARPLUG_FROM_PROGRAM="${libdir_from_program}/$<TARGET_FILE_NAME:zelvarplug>")

# The libraries' search path: relative to the file's own folder, the same in the build tree as
# installed. Built with it from the start, nothing is rewritten at install time, so CMake pads no
# build path for the rewrite; its padding ends in an empty entry, which means the current folder.
set_target_properties(zelvar-home PROPERTIES INSTALL_RPATH "$ORIGIN/${libdir_from_program}")
set_target_properties(zelvarplug PROPERTIES INSTALL_RPATH "$ORIGIN")
set_target_properties(zelvar-home zelvarplug zelvar_platform PROPERTIES BUILD_WITH_INSTALL_RPATH ON)
install(TARGETS zelvar-home RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS zelvarplug zelvar_platform LIBRARY DESTINATION ${ZELVAR_INSTALL_LIBDIR})
