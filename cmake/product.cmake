# Settings shared by the shipped programs: small, self-contained GUI programs (i686 or x86_64).
function(make_product target)
  target_compile_options(${target} PRIVATE -Os -fno-exceptions -fno-rtti)
  target_link_options(${target} PRIVATE -s -static -mwindows)
  target_compile_definitions(${target} PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501 WINVER=0x0501 _WIN32_IE=0x0600)
endfunction()

# Code that product programs and Win32 tests both compile.
function(product_code target)
  target_compile_options(${target} PRIVATE -Os -fno-exceptions -fno-rtti)
  target_compile_definitions(${target} PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501 WINVER=0x0501 _WIN32_IE=0x0600)
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
