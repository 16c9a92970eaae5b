# libjpeg-turbo, cross-built from Debian's source package by tools/build-libjpeg.sh.
set(CORVANE_JPEG_ROOT "${CMAKE_SOURCE_DIR}/build/deps/libjpeg-win64" CACHE PATH "libjpeg-turbo for Windows")
if(NOT EXISTS "${CORVANE_JPEG_ROOT}/lib/libjpeg.a")
  execute_process(COMMAND ${CMAKE_SOURCE_DIR}/tools/build-libjpeg.sh RESULT_VARIABLE jpeg_rc)
  if(NOT jpeg_rc EQUAL 0)
    message(FATAL_ERROR "building libjpeg-turbo failed")
  endif()
endif()
add_library(jpeg_static STATIC IMPORTED)
set_target_properties(jpeg_static PROPERTIES
  IMPORTED_LOCATION "${CORVANE_JPEG_ROOT}/lib/libjpeg.a"
  INTERFACE_INCLUDE_DIRECTORIES "${CORVANE_JPEG_ROOT}/include")
