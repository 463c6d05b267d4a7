# JPEG XL pictures are libjxl's: Debian's library natively; for Windows, Debian's source packages
# of libjxl, highway (its SIMD layer) and brotli (its compressed boxes), which scripts/setup.sh
# unpacks into build/deps, compiled here into static libraries: libjxl's decoder alone (the
# sources its own build lists for its decoding library, without JPEG reconstruction), its
# thread pool, highway's target dispatch and brotli's decoder. libjxl's own CMake would want
# its encoder, brotli's encoder and highway's tests found or built first.
#
# Highway compiles each SIMD routine for several instruction sets and picks one at run time.
# The baseline is every Windows PC's SSE2 (CMakeLists.txt compiles for it); SSSE3 and SSE4 are
# taken where the CPU has them. The 256- and 512-bit sets are left out: GCC can't align the
# stack beyond 16 bytes on Windows, so their spilled registers would fault.
if(WIN32)
  set(ZYLORA_JXL_SOURCE ${CMAKE_SOURCE_DIR}/build/deps/jpeg-xl CACHE PATH "libjxl source tree")
  set(ZYLORA_HWY_SOURCE ${CMAKE_SOURCE_DIR}/build/deps/highway CACHE PATH "highway source tree")
  set(ZYLORA_BROTLI_SOURCE ${CMAKE_SOURCE_DIR}/build/deps/brotli CACHE PATH "brotli source tree")
  foreach(file ${ZYLORA_JXL_SOURCE}/lib/include/jxl/decode.h ${ZYLORA_HWY_SOURCE}/hwy/highway.h
               ${ZYLORA_BROTLI_SOURCE}/c/include/brotli/decode.h)
    if(NOT EXISTS ${file})
      message(FATAL_ERROR "No ${file}: run scripts/setup.sh")
    endif()
  endforeach()

  file(GLOB ZYLORA_BROTLI_SOURCES ${ZYLORA_BROTLI_SOURCE}/c/common/*.c ${ZYLORA_BROTLI_SOURCE}/c/dec/*.c)
  add_library(zylora_brotlidec STATIC ${ZYLORA_BROTLI_SOURCES})
  target_include_directories(zylora_brotlidec SYSTEM PUBLIC ${ZYLORA_BROTLI_SOURCE}/c/include)
  target_compile_options(zylora_brotlidec PRIVATE -w -O2)

  add_library(zylora_hwy STATIC ${ZYLORA_HWY_SOURCE}/hwy/aligned_allocator.cc ${ZYLORA_HWY_SOURCE}/hwy/targets.cc
                                ${ZYLORA_HWY_SOURCE}/hwy/per_target.cc ${ZYLORA_HWY_SOURCE}/hwy/print.cc)
  target_include_directories(zylora_hwy SYSTEM PUBLIC ${ZYLORA_HWY_SOURCE})
  target_compile_definitions(zylora_hwy PUBLIC "HWY_DISABLED_TARGETS=(HWY_AVX2|HWY_AVX3|HWY_AVX3_DL)")
  target_compile_options(zylora_hwy PRIVATE -w -O2)

  # The decoder's sources as libjxl's build lists them, so a newer source package brings its own.
  file(READ ${ZYLORA_JXL_SOURCE}/lib/jxl.cmake ZYLORA_JXL_LISTS)
  string(REGEX MATCH "set\\(JPEGXL_INTERNAL_SOURCES_DEC[^)]*\\)" ZYLORA_JXL_DEC_LIST "${ZYLORA_JXL_LISTS}")
  string(REGEX MATCHALL "jxl/[A-Za-z0-9_/.-]+\\.cc" ZYLORA_JXL_DEC_FILES "${ZYLORA_JXL_DEC_LIST}")
  list(TRANSFORM ZYLORA_JXL_DEC_FILES PREPEND ${ZYLORA_JXL_SOURCE}/lib/)
  file(STRINGS ${ZYLORA_JXL_SOURCE}/lib/CMakeLists.txt ZYLORA_JXL_VERSIONS REGEX "^set\\(JPEGXL_(MAJOR|MINOR|PATCH)_VERSION")
  foreach(line ${ZYLORA_JXL_VERSIONS})
    string(REGEX REPLACE "^set\\((JPEGXL_[A-Z]+_VERSION) ([0-9]+)\\)$" "\\1;\\2" pair "${line}")
    list(GET pair 0 name)
    list(GET pair 1 ${name})
  endforeach()
  # The headers libjxl's build writes: its version, and export markers, empty for a static library.
  set(ZYLORA_JXL_GENERATED ${CMAKE_BINARY_DIR}/libjxl/include)
  configure_file(${ZYLORA_JXL_SOURCE}/lib/jxl/version.h.in ${ZYLORA_JXL_GENERATED}/jxl/version.h @ONLY)
  # Written only when changed: a file written at every configure would rebuild the library at
  # every build.
  file(CONFIGURE OUTPUT ${ZYLORA_JXL_GENERATED}/jxl/jxl_export.h
    CONTENT "#pragma once\n#define JXL_EXPORT\n#define JXL_DEPRECATED __attribute__((deprecated))\n" @ONLY)
  file(CONFIGURE OUTPUT ${ZYLORA_JXL_GENERATED}/jxl/jxl_threads_export.h
    CONTENT "#pragma once\n#define JXL_THREADS_EXPORT\n" @ONLY)

  add_library(zylora_jxl STATIC ${ZYLORA_JXL_DEC_FILES}
    ${ZYLORA_JXL_SOURCE}/lib/threads/thread_parallel_runner.cc
    ${ZYLORA_JXL_SOURCE}/lib/threads/thread_parallel_runner_internal.cc)
  target_include_directories(zylora_jxl PRIVATE ${ZYLORA_JXL_SOURCE})
  target_include_directories(zylora_jxl SYSTEM PUBLIC ${ZYLORA_JXL_SOURCE}/lib/include ${ZYLORA_JXL_GENERATED})
  target_compile_definitions(zylora_jxl PRIVATE JXL_INTERNAL_LIBRARY_BUILD JPEGXL_ENABLE_TRANSCODE_JPEG=0
    JPEGXL_MAJOR_VERSION=${JPEGXL_MAJOR_VERSION} JPEGXL_MINOR_VERSION=${JPEGXL_MINOR_VERSION}
    JPEGXL_PATCH_VERSION=${JPEGXL_PATCH_VERSION})
  target_compile_options(zylora_jxl PRIVATE -w -O2 -fmerge-all-constants)
  target_link_libraries(zylora_jxl PRIVATE zylora_hwy zylora_brotlidec)
else()
  pkg_check_modules(JXL REQUIRED IMPORTED_TARGET libjxl libjxl_threads)
  add_library(zylora_jxl INTERFACE)
  target_link_libraries(zylora_jxl INTERFACE PkgConfig::JXL)
endif()
