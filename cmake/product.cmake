# Settings shared by the shipped programs: small, self-contained GUI programs (i686 or x86_64).
#
# What keeps them small:
# - every function in a section of its own, and the linker drops the ones
#   nothing calls. Data stays in the common sections: MinGW's compiler puts
#   each zero-filled variable of -fdata-sections into a .data$ section, which
#   the linker stores in the file instead of leaving it to .bss;
# - no C++ library: the programs use no exceptions and no RTTI, and allocate
#   only with new (std::nothrow). The C++ library's allocation functions would
#   bring its exception machinery along, and with it the threading library of
#   the posix thread flavour; common/cxx_runtime.cpp provides the few entry
#   points instead, and linking as C leaves the C++ library out, so that a
#   program that comes to need more of it fails to link rather than growing;
# - msvcrt's formatter for snprintf and vsnprintf rather than MinGW's own C99
#   one with its floating point conversions (see PRODUCT_COMPILE_DEFINITIONS);
# - on 32 bits, no DWARF unwind tables (.eh_frame): nothing unwinds through
#   the programs, which use no exceptions, and 32-bit Windows does not read
#   them. The 64-bit programs keep theirs (.pdata/.xdata): Windows itself
#   unwinds with them, for instance to dispatch a fault in a window procedure.
set(PRODUCT_COMPILE_OPTIONS -Os -fno-exceptions -fno-rtti -ffunction-sections)
# No link time in the header (--no-insert-timestamp): the same sources give
# the same program file, and so the same packages.
set(PRODUCT_LINK_OPTIONS -s -static -mwindows -Wl,--gc-sections -Wl,--no-insert-timestamp)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  list(APPEND PRODUCT_COMPILE_OPTIONS -fno-asynchronous-unwind-tables -fno-unwind-tables)
  list(APPEND PRODUCT_LINK_OPTIONS -Wl,-T,${CMAKE_CURRENT_LIST_DIR}/no_eh_frame.ld)
endif()
# With __USE_MINGW_ANSI_STDIO 0, snprintf and vsnprintf are MinGW's thin wrappers
# around msvcrt's _vsnprintf, which still terminate a cut text and return the
# full length. msvcrt knows every conversion the programs use (%s, %.*s, %lu).
# It takes effect where <stdio.h> comes before any C++ library header.
set(PRODUCT_COMPILE_DEFINITIONS WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501 WINVER=0x0501 _WIN32_IE=0x0600
    __USE_MINGW_ANSI_STDIO=0)

function(make_product target)
  target_compile_options(${target} PRIVATE ${PRODUCT_COMPILE_OPTIONS})
  target_compile_definitions(${target} PRIVATE ${PRODUCT_COMPILE_DEFINITIONS})
  target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/common/cxx_runtime.cpp)
  set_target_properties(${target} PROPERTIES LINKER_LANGUAGE C)
  target_link_options(${target} PRIVATE ${PRODUCT_LINK_OPTIONS})
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${PROJECT_SOURCE_DIR}/cmake/no_eh_frame.ld)
endfunction()

# Code that product programs and Win32 tests both compile.
function(product_code target)
  target_compile_options(${target} PRIVATE ${PRODUCT_COMPILE_OPTIONS})
  target_compile_definitions(${target} PRIVATE ${PRODUCT_COMPILE_DEFINITIONS})
endfunction()

# Windows matches a manifest's processorArchitecture against the program's own
# processor, in the program's identity and in the common-controls dependency;
# a 64-bit program that names X86 does not get the version 6 controls.
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
  set(MANIFEST_PROCESSOR amd64)
elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^(i[3-6]86|x86|X86)$")
  set(MANIFEST_PROCESSOR X86)
else()
  message(FATAL_ERROR "No manifest processor name for CMAKE_SYSTEM_PROCESSOR '${CMAKE_SYSTEM_PROCESSOR}'")
endif()

# Fills in NAME.manifest.in of the current source folder as NAME.manifest in the
# current binary folder, for the line '1 24 "NAME.manifest"' of RC_FILE. windres
# looks for a data file in its working folder, then in the include folders, and
# only then beside the .rc file; the binary folder is put on TARGET's resource
# include path (SCOPE PUBLIC: also for programs that link TARGET and compile the
# same .rc file), and the source folder holds no NAME.manifest, so only the
# generated file can be found. RC_FILE is recompiled whenever it changes.
function(product_manifest name rc_file target scope)
  set(generated ${CMAKE_CURRENT_BINARY_DIR}/${name}.manifest)
  configure_file(${CMAKE_CURRENT_SOURCE_DIR}/${name}.manifest.in ${generated} @ONLY)
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${name}.manifest)
    message(FATAL_ERROR "${CMAKE_CURRENT_SOURCE_DIR}/${name}.manifest would shadow the generated manifest; "
                        "edit ${name}.manifest.in instead and remove it")
  endif()
  target_include_directories(${target} ${scope} $<$<COMPILE_LANGUAGE:RC>:${CMAKE_CURRENT_BINARY_DIR}>)
  set_property(SOURCE ${rc_file} APPEND PROPERTY OBJECT_DEPENDS ${generated})
endfunction()
