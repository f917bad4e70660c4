# Warnings and sanitizers apply to the project's own targets only; outside headers come in as system headers.
function(orv_target_defaults target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                             -Wold-style-cast -Wcast-align -Woverloaded-virtual)
    if(ORV_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "SHARED_LIBRARY")
        set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN")
    endif()
endfunction()

if(ORV_SANITIZE)
    # 7z.so's objects come without RTTI the sanitizer can check, so the vptr check stays off.
    add_compile_options(-fsanitize=address,undefined -fno-sanitize=vptr -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined -fno-sanitize=vptr)
endif()

if(ORV_FUZZ)
    # The libraries the fuzz targets link carry the coverage hooks too, so the fuzzer is guided through the
    # parsers' own code; any finding of the sanitizers ends the run as a crash.
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

# Start-up time of the command-line tool is mostly the dynamic loader's: inline functions stay out of the
# libraries' symbol tables, calls inside a library bind to it at link time, and libraries nothing uses are
# not loaded at all.
add_compile_options(-fvisibility-inlines-hidden)
add_link_options(-Wl,-O1 -Wl,--as-needed)
string(APPEND CMAKE_SHARED_LINKER_FLAGS " -Wl,-Bsymbolic-functions")
