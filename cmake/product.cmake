# Settings shared by the shipped programs: small, self-contained 32-bit GUI programs.
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
