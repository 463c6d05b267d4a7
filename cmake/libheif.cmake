# HEIC pictures are libheif's, with libde265 decoding their HEVC. Both are LGPL, so for Windows
# they are DLLs beside zylora.exe, which loads them at the first HEIC opened
# (platform/win32/Win32HeifLibrary.cpp): a user may put builds of their own in their place.
# Compiled here from Debian's source packages (scripts/setup.sh unpacks them into
# build/deps/libheif and build/deps/libde265): libde265's decoder, and libheif with libde265
# as its one decoder compiled in, without encoders and without loading plugins. Natively the
# decoder is Debian's libheif, which only the tests link (imaging/ takes its functions as a
# table either way).
if(WIN32)
  set(ZYLORA_HEIF_SOURCE ${CMAKE_SOURCE_DIR}/build/deps/libheif CACHE PATH "libheif source tree")
  set(ZYLORA_DE265_SOURCE ${CMAKE_SOURCE_DIR}/build/deps/libde265 CACHE PATH "libde265 source tree")
  if(NOT EXISTS ${ZYLORA_HEIF_SOURCE}/libheif/heif.h OR NOT EXISTS ${ZYLORA_DE265_SOURCE}/libde265/de265.h)
    message(FATAL_ERROR "No libheif or libde265 sources in build/deps: run scripts/setup.sh")
  endif()
  set(ZYLORA_HEIF_DLL_DIR ${CMAKE_BINARY_DIR}/dist)
  # Each DLL carries its own C and C++ runtime, as zylora.exe does (nothing else to ship), and
  # exports its own functions alone, not the runtime's; symbols stripped.
  set(ZYLORA_HEIF_DLL_LINK -static -static-libgcc -static-libstdc++ -s -Wl,--no-undefined -Wl,--exclude-libs,ALL)

  # libde265: the decoder's sources, its SSE routines (SSE4.1 ones picked at run time by its
  # own check), Windows' threads through its own condition variables.
  set(ZYLORA_DE265_SOURCES)
  foreach(name alloc_pool bitstream cabac configparam contextmodel de265 deblock decctx dpb en265
               fallback-dct fallback-motion fallback image-io image intrapred md5 motion nal-parser nal
               pps quality refpic sao scan sei slice sps threads transform util visualize vps vui)
    list(APPEND ZYLORA_DE265_SOURCES ${ZYLORA_DE265_SOURCE}/libde265/${name}.cc)
  endforeach()
  # Its API's encoder half (en265.cc) stands on the encoder's sources, which nothing here calls.
  file(GLOB ZYLORA_DE265_ENCODER ${ZYLORA_DE265_SOURCE}/libde265/encoder/*.cc
       ${ZYLORA_DE265_SOURCE}/libde265/encoder/algo/*.cc)
  set(ZYLORA_DE265_SSE ${ZYLORA_DE265_SOURCE}/libde265/x86/sse-motion.cc ${ZYLORA_DE265_SOURCE}/libde265/x86/sse-dct.cc)
  set_source_files_properties(${ZYLORA_DE265_SSE} PROPERTIES COMPILE_OPTIONS "-mssse3;-msse4.1")
  add_library(zylora_de265 SHARED ${ZYLORA_DE265_SOURCES} ${ZYLORA_DE265_ENCODER} ${ZYLORA_DE265_SSE}
              ${ZYLORA_DE265_SOURCE}/libde265/x86/sse.cc ${ZYLORA_DE265_SOURCE}/extra/win32cond.c)
  target_include_directories(zylora_de265 PRIVATE ${ZYLORA_DE265_SOURCE} ${ZYLORA_DE265_SOURCE}/libde265)
  target_compile_definitions(zylora_de265 PRIVATE LIBDE265_EXPORTS HAVE_SSE4_1 HAVE_MALLOC_H)
  target_compile_options(zylora_de265 PRIVATE -w -O2)
  target_link_options(zylora_de265 PRIVATE ${ZYLORA_HEIF_DLL_LINK})
  set_target_properties(zylora_de265 PROPERTIES OUTPUT_NAME de265 PREFIX lib CXX_STANDARD 11
    RUNTIME_OUTPUT_DIRECTORY ${ZYLORA_HEIF_DLL_DIR} ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/heif-import)

  # libheif: the HEIF container and its colour conversion, libde265 its one decoder.
  set(ZYLORA_HEIF_SOURCES)
  foreach(name bitstream box error heif heif_context heif_file heif_image heif_hevc heif_avif
               heif_colorconversion heif_plugin_registry heif_plugin nclx heif_init metadata_compression
               common_utils plugins/heif_decoder_libde265)
    list(APPEND ZYLORA_HEIF_SOURCES ${ZYLORA_HEIF_SOURCE}/libheif/${name}.cc)
  endforeach()
  add_library(zylora_heif SHARED ${ZYLORA_HEIF_SOURCES})
  target_include_directories(zylora_heif PRIVATE ${ZYLORA_HEIF_SOURCE} ${ZYLORA_HEIF_SOURCE}/libheif
                             ${ZYLORA_DE265_SOURCE})
  target_compile_definitions(zylora_heif PRIVATE LIBHEIF_EXPORTS HAVE_LIBDE265=1
                             ENABLE_MULTITHREADING_SUPPORT=1 ENABLE_PARALLEL_TILE_DECODING=1)
  target_compile_options(zylora_heif PRIVATE -w -O2)
  target_link_options(zylora_heif PRIVATE ${ZYLORA_HEIF_DLL_LINK})
  target_link_libraries(zylora_heif PRIVATE zylora_de265)
  set_target_properties(zylora_heif PROPERTIES OUTPUT_NAME heif PREFIX lib CXX_STANDARD 11
    RUNTIME_OUTPUT_DIRECTORY ${ZYLORA_HEIF_DLL_DIR} ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/heif-import)

  # The viewer compiles against libheif's header alone (its types and functions' signatures).
  add_library(zylora_heif_headers INTERFACE)
  target_include_directories(zylora_heif_headers SYSTEM INTERFACE ${ZYLORA_HEIF_SOURCE})
  # Both DLLs go into the release beside zylora.exe, with each library's licence texts (the
  # LGPL and the GPL it builds on), which the LGPL asks to go with them.
  set(ZYLORA_HEIF_RELEASE_DLLS zylora_heif zylora_de265)
  set(ZYLORA_HEIF_RELEASE_PARTS libheif.dll=$<TARGET_FILE:zylora_heif> libde265.dll=$<TARGET_FILE:zylora_de265>
    libheif-COPYING.txt=${ZYLORA_HEIF_SOURCE}/COPYING libde265-COPYING.txt=${ZYLORA_DE265_SOURCE}/COPYING)
else()
  pkg_check_modules(HEIF REQUIRED IMPORTED_TARGET libheif)
  add_library(zylora_heif_headers INTERFACE)
  target_include_directories(zylora_heif_headers SYSTEM INTERFACE ${HEIF_INCLUDE_DIRS})
  set(ZYLORA_HEIF_RELEASE_PARTS)
  set(ZYLORA_HEIF_RELEASE_DLLS)
endif()
