# Visual C++ callers: each DLL also exports every declaration of utils.h
# under its Microsoft-decorated name, through a .def generated from the
# header at build time (cmake/msvc_exports.py, clang's AST dump).
find_package(Python3 REQUIRED COMPONENTS Interpreter)
find_program(UTILS_CLANGXX NAMES clang++ clang++-14 REQUIRED)

function(utils_msvc_exports target)
  set(def ${CMAKE_CURRENT_BINARY_DIR}/${target}-msvc.def)
  set(script ${CMAKE_SOURCE_DIR}/cmake/msvc_exports.py)
  set(header ${CMAKE_SOURCE_DIR}/include/utils.h)
  add_custom_command(OUTPUT ${def}
    COMMAND ${Python3_EXECUTABLE} ${script} --arch ${CMAKE_SYSTEM_PROCESSOR} --clang ${UTILS_CLANGXX}
            --header ${header} --def ${def}
    DEPENDS ${script} ${header}
    COMMENT "Visual C++ names for ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE ${def})
endfunction()
