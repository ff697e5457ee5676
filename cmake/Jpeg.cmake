# libjpeg for the decoders: Debian's libjpeg62-turbo natively; for the
# Windows builds the same library cross-compiled from Debian's source package
# by scripts/win-libjpeg.sh (cached outside the tree) and linked statically.
if(TARGET utils_jpeg)
  return()
endif()
add_library(utils_jpeg INTERFACE IMPORTED GLOBAL)
if(CMAKE_CROSSCOMPILING AND WIN32)
  get_filename_component(_tc "${CMAKE_TOOLCHAIN_FILE}" ABSOLUTE BASE_DIR "${CMAKE_SOURCE_DIR}")
  execute_process(
    COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/win-libjpeg.sh ${_tc}
    OUTPUT_VARIABLE _jpeg_prefix OUTPUT_STRIP_TRAILING_WHITESPACE
    ERROR_VARIABLE _jpeg_log
    RESULT_VARIABLE _jpeg_rc)
  if(NOT _jpeg_rc EQUAL 0 OR NOT EXISTS "${_jpeg_prefix}/lib/libjpeg.a")
    message(FATAL_ERROR "Could not build libjpeg for ${CMAKE_SYSTEM_PROCESSOR}:\n${_jpeg_log}")
  endif()
  message(STATUS "libjpeg for Windows: ${_jpeg_prefix}")
  set_target_properties(utils_jpeg PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES "${_jpeg_prefix}/include"
    INTERFACE_LINK_LIBRARIES "${_jpeg_prefix}/lib/libjpeg.a")
else()
  find_package(JPEG REQUIRED)
  set_target_properties(utils_jpeg PROPERTIES INTERFACE_LINK_LIBRARIES JPEG::JPEG)
endif()
