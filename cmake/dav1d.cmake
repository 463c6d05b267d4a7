# AV1, the coding of AVIF pictures, is dav1d's: Debian's library natively; for Windows, Debian's
# source package (scripts/setup.sh unpacks it into build/deps/dav1d) compiled here into a static
# library, with its configuration headers as its own (meson) build writes them for this target.
# Its x86 routines are assembled with nasm where that is installed; without them the decoder
# runs its C code alone, several times slower.
if(WIN32)
  set(ZYLORA_DAV1D_SOURCE ${CMAKE_SOURCE_DIR}/build/deps/dav1d CACHE PATH "dav1d source tree")
  if(NOT EXISTS ${ZYLORA_DAV1D_SOURCE}/include/dav1d/dav1d.h)
    message(FATAL_ERROR "No dav1d sources in ${ZYLORA_DAV1D_SOURCE}: run scripts/setup.sh")
  endif()
  find_program(ZYLORA_NASM nasm)
  set(src ${ZYLORA_DAV1D_SOURCE}/src)
  set(config ${CMAKE_BINARY_DIR}/dav1d)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(x86_64 1)
    set(x86_32 0)
    set(stack 32)
    set(stack_flags -mpreferred-stack-boundary=6 -mcmodel=small)
    set(realign_flags -mincoming-stack-boundary=4)
    set(nasm_format win64)
  else()
    set(x86_64 0)
    set(x86_32 1)
    set(stack 16)
    set(stack_flags -mpreferred-stack-boundary=4)
    set(realign_flags -mincoming-stack-boundary=2)
    set(nasm_format win32)
  endif()
  set(asm 0)
  if(ZYLORA_NASM)
    set(asm 1)
  endif()

  file(STRINGS ${ZYLORA_DAV1D_SOURCE}/meson.build version_line REGEX "^dav1d_soname_version *=")
  string(REGEX MATCHALL "[0-9]+" api "${version_line}")
  list(GET api 0 major)
  list(GET api 1 minor)
  list(GET api 2 patch)
  file(WRITE ${config}/dav1d/version.h.new
    "#define DAV1D_API_VERSION_MAJOR ${major}\n#define DAV1D_API_VERSION_MINOR ${minor}\n"
    "#define DAV1D_API_VERSION_PATCH ${patch}\n")
  file(WRITE ${config}/vcs_version.h.new "#define DAV1D_VERSION \"${major}.${minor}.${patch}-debian\"\n")
  set(defines ARCH_X86=1 ARCH_X86_32=${x86_32} ARCH_X86_64=${x86_64} ARCH_AARCH64=0 ARCH_ARM=0
      ARCH_PPC64LE=0 CONFIG_8BPC=1 CONFIG_16BPC=1 CONFIG_LOG=0 ENDIANNESS_BIG=0 HAVE_ASM=${asm}
      HAVE_ALIGNED_MALLOC=1 HAVE_IO_H=1 HAVE_UNISTD_H=1 STACK_ALIGNMENT=${stack} _WIN32_WINNT=0x0601
      UNICODE=1 _UNICODE=1 __USE_MINGW_ANSI_STDIO=1 _FILE_OFFSET_BITS=64)
  set(asm_defines private_prefix=dav1d ARCH_X86_32=${x86_32} ARCH_X86_64=${x86_64} PIC=1
      FORCE_VEX_ENCODING=0 STACK_ALIGNMENT=${stack})
  if(x86_32)
    list(APPEND defines PREFIX=1)
    list(APPEND asm_defines PREFIX=1)
  endif()
  # NAME=VALUE pairs as the lines of a C ("#define") or nasm ("%define") configuration file.
  function(zylora_write_defines file directive)
    set(text "")
    foreach(define ${ARGN})
      string(REPLACE "=" " " define "${define}")
      string(APPEND text "${directive} ${define}\n")
    endforeach()
    file(WRITE ${file} "${text}")
  endfunction()
  zylora_write_defines(${config}/config.h.new "#define" ${defines})
  zylora_write_defines(${config}/config.asm.new "%define" ${asm_defines})
  # Written only when changed, so a new configure doesn't rebuild the library.
  foreach(name dav1d/version.h vcs_version.h config.h config.asm)
    configure_file(${config}/${name}.new ${config}/${name} COPYONLY)
  endforeach()

  set(sources)
  foreach(name cdf cpu data decode dequant_tables getbits intra_edge itx_1d lf_mask mem msac obu
               picture qm ref refmvs scan tables warpmv wedge win32/thread log)
    list(APPEND sources ${src}/${name}.c)
  endforeach()
  set(templates)
  foreach(name cdef_apply cdef fg_apply filmgrain ipred_prepare ipred itx lf_apply loopfilter
               looprestoration lr_apply mc recon)
    list(APPEND templates ${src}/${name}_tmpl.c)
  endforeach()
  set(objects)
  if(asm)
    list(APPEND sources ${src}/x86/cpu.c ${src}/x86/msac_init.c ${src}/x86/refmvs_init.c)
    foreach(name cdef filmgrain ipred itx loopfilter looprestoration mc)
      list(APPEND templates ${src}/x86/${name}_init_tmpl.c)
    endforeach()
    set(asm_names cpuid msac refmvs cdef_avx2 itx_avx2 looprestoration_avx2 cdef_sse itx_sse
        cdef_avx512 filmgrain_avx512 ipred_avx512 itx_avx512 loopfilter_avx512 looprestoration_avx512
        mc_avx512 filmgrain_avx2 ipred_avx2 loopfilter_avx2 mc_avx2 filmgrain_sse ipred_sse
        loopfilter_sse looprestoration_sse mc_sse
        filmgrain16_avx512 ipred16_avx512 looprestoration16_avx512 mc16_avx512 cdef16_avx2
        filmgrain16_avx2 ipred16_avx2 itx16_avx2 loopfilter16_avx2 looprestoration16_avx2 mc16_avx2
        cdef16_sse filmgrain16_sse ipred16_sse itx16_sse loopfilter16_sse looprestoration16_sse mc16_sse)
    foreach(name ${asm_names})
      set(object ${config}/asm/${name}.obj)
      add_custom_command(OUTPUT ${object}
        COMMAND ${ZYLORA_NASM} -f ${nasm_format} -I ${src}/ -I ${config}/ ${src}/x86/${name}.asm -o ${object}
        DEPENDS ${src}/x86/${name}.asm ${config}/config.asm VERBATIM)
      list(APPEND objects ${object})
    endforeach()
  endif()

  # The templates once for 8-bit pictures and once for 10- and 12-bit ones, as its build does.
  set(flags -w -O2 -fomit-frame-pointer -ffast-math ${stack_flags})
  set(includes ${config} ${config}/dav1d ${ZYLORA_DAV1D_SOURCE} ${ZYLORA_DAV1D_SOURCE}/include
      ${ZYLORA_DAV1D_SOURCE}/include/dav1d)
  foreach(depth 8 16)
    add_library(zylora_dav1d_${depth} OBJECT ${templates})
    target_compile_definitions(zylora_dav1d_${depth} PRIVATE BITDEPTH=${depth} _POSIX_C_SOURCE=200112L)
    target_include_directories(zylora_dav1d_${depth} PRIVATE ${includes})
    target_compile_options(zylora_dav1d_${depth} PRIVATE ${flags})
    list(APPEND objects $<TARGET_OBJECTS:zylora_dav1d_${depth}>)
  endforeach()
  # Its entry points may be called on a stack aligned less than its routines need.
  set_source_files_properties(${src}/lib.c ${src}/thread_task.c PROPERTIES COMPILE_OPTIONS "${realign_flags}")
  add_library(zylora_dav1d STATIC ${sources} ${src}/lib.c ${src}/thread_task.c ${objects})
  target_compile_definitions(zylora_dav1d PRIVATE _POSIX_C_SOURCE=200112L)
  target_include_directories(zylora_dav1d PRIVATE ${includes})
  target_include_directories(zylora_dav1d SYSTEM PUBLIC ${ZYLORA_DAV1D_SOURCE}/include ${config}/dav1d)
  target_compile_options(zylora_dav1d PRIVATE ${flags})
else()
  pkg_check_modules(DAV1D REQUIRED IMPORTED_TARGET dav1d)
  add_library(zylora_dav1d INTERFACE)
  target_link_libraries(zylora_dav1d INTERFACE PkgConfig::DAV1D)
endif()
