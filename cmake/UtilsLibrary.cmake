# The two builds of the library from one source tree.
#   utils     plain kernels only (on 32-bit Windows: no MMX, no SSE)
#   utilsmmx  plain kernels plus the *_mmx.cpp SIMD kernels (MMX, nothing later)

set(UTILS_FAMILIES surface convert decode blit draw effects filters)

# The .cpp files of each family's folder under `root`, into `out`; the tests
# mirror the same folders.
function(utils_family_sources out root)
  set(_all "")
  foreach(dir ${UTILS_FAMILIES})
    file(GLOB _s CONFIGURE_DEPENDS ${root}/${dir}/*.cpp)
    list(APPEND _all ${_s})
  endforeach()
  set(${out} ${_all} PARENT_SCOPE)
endfunction()

utils_family_sources(UTILS_SOURCES_ALL ${CMAKE_SOURCE_DIR})
set(UTILS_SOURCES_PLAIN ${UTILS_SOURCES_ALL})
list(FILTER UTILS_SOURCES_PLAIN EXCLUDE REGEX "_mmx\\.cpp$")

# Libraries every build links; decoders add theirs here.
include(${CMAKE_CURRENT_LIST_DIR}/Jpeg.cmake)
set(UTILS_LINK_LIBS utils_jpeg)

function(utils_library name simd)
  if(simd)
    add_library(${name} SHARED ${UTILS_SOURCES_ALL})
    target_compile_definitions(${name} PRIVATE UTILS_SIMD=1)
  else()
    add_library(${name} SHARED ${UTILS_SOURCES_PLAIN})
    target_compile_definitions(${name} PRIVATE UTILS_SIMD=0)
  endif()
  target_compile_definitions(${name} PRIVATE UTILS_BUILDING)
  if(NOT WIN32)
    # Lets calls between exports inside the library inline instead of going
    # through the PLT; nobody interposes our symbols.
    target_compile_options(${name} PRIVATE -fno-semantic-interposition)
  endif()
  target_include_directories(${name}
    PUBLIC $<BUILD_INTERFACE:${CMAKE_SOURCE_DIR}/include> $<INSTALL_INTERFACE:include>
    PRIVATE ${CMAKE_SOURCE_DIR})
  set_target_properties(${name} PROPERTIES
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    VERSION ${PROJECT_VERSION}
    SOVERSION ${PROJECT_VERSION_MAJOR})
  if(UTILS_LINK_LIBS)
    target_link_libraries(${name} PRIVATE ${UTILS_LINK_LIBS})
  endif()
  if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    # Row loops and the per-pixel exports at fixed boundaries: otherwise an
    # unrelated change elsewhere moves them and their speed swings by a
    # third (measured on the keyed 16-bit copy and the 32-bit masked fill).
    target_compile_options(${name} PRIVATE -falign-functions=64 -falign-loops=32)
  endif()
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # GCC aligns only loops it expects to run four times per entry; row
    # loops of unknown width fall outside that, the keyed 16-bit copy among
    # them (15% slower when its loop straddled one more 32-byte window).
    target_compile_options(${name} PRIVATE --param=align-loop-iterations=1)
  endif()

  if(WIN32)
    # "utils.dll" / "utilsmmx.dll", no lib prefix, no version suffix.
    set_target_properties(${name} PROPERTIES PREFIX "" IMPORT_PREFIX "lib")
  endif()
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    # The DLLs' flags, also for the i686 Linux build that runs their tests.
    if(simd)
      # A Pentium with MMX alone must run it.
      target_compile_options(${name} PRIVATE -march=pentium-mmx -mmmx -mno-sse -mno-sse2 -mno-3dnow)
    else()
      target_compile_options(${name} PRIVATE -march=i586 -mno-mmx -mno-sse -mno-sse2 -mno-3dnow)
    endif()
  endif()
  if(WIN32)
    # Visual C++ names beside the GCC ones.
    include(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/MsvcExports.cmake)
    utils_msvc_exports(${name})
  endif()
  if(simd AND CMAKE_SYSTEM_PROCESSOR MATCHES "x86_64|AMD64|amd64")
    target_compile_options(${name} PRIVATE -mmmx)
  endif()
endfunction()
