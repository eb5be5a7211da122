# One warning set for every target of the project (not for third-party sources).
function(pagorin_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /utf-8 $<$<BOOL:${PAGORIN_WERROR}>:/WX>)
  else()
    target_compile_options(${target} PRIVATE
      -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wnon-virtual-dtor -Wold-style-cast
      $<$<BOOL:${PAGORIN_WERROR}>:-Werror>
      # GCC 12 reports std::string concatenations as overlapping copies at -O2 and above
      # (a known false positive of that release).
      $<$<AND:$<CXX_COMPILER_ID:GNU>,$<VERSION_LESS:$<CXX_COMPILER_VERSION>,13>>:-Wno-restrict>)
  endif()
endfunction()
