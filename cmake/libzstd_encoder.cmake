# The encoder the packs link: Debian's libzstd built as a static library by the
# deps step (tools/deps/libzstd.sh) into .cache/libzstd/VERSION/VARIANT.
# libzstd_encoder(TARGET VARIANT) makes TARGET an imported library of it.
function(libzstd_encoder target variant)
  file(STRINGS ${CMAKE_SOURCE_DIR}/tools/deps/libzstd.version version LIMIT_COUNT 1)
  set(root ${CMAKE_SOURCE_DIR}/.cache/libzstd/${version})
  if(NOT EXISTS ${root}/${variant}/libzstd.a OR NOT EXISTS ${root}/include/zstd.h)
    message(FATAL_ERROR "${root}/${variant}/libzstd.a is missing: run `make deps` (tools/deps/libzstd.sh builds it)")
  endif()
  add_library(${target} STATIC IMPORTED)
  set_target_properties(${target} PROPERTIES IMPORTED_LOCATION ${root}/${variant}/libzstd.a
    INTERFACE_INCLUDE_DIRECTORIES ${root}/include)
endfunction()
