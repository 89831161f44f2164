# One INTERFACE target carries the language standard, the warnings and the
# defines that every other target of the project uses.
add_library(cofferly_common INTERFACE)
target_compile_features(cofferly_common INTERFACE cxx_std_20)
target_compile_options(cofferly_common INTERFACE -Wall -Wextra)
target_compile_definitions(cofferly_common INTERFACE
    COFFERLY_VERSION="3.0.1.1")

option(COFFERLY_ASAN "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(COFFERLY_ASAN)
    target_compile_options(cofferly_common INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer)
    target_link_options(cofferly_common INTERFACE -fsanitize=address,undefined)
endif()
