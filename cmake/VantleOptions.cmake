# One interface target carries the warnings, sanitizer flags and the version
# for every target of the project.
add_library(vantle_options INTERFACE)
target_compile_options(vantle_options INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast
  -Wcast-align -Wunused -Woverloaded-virtual -Wnull-dereference
  -Wimplicit-fallthrough -Wformat=2)
target_compile_definitions(vantle_options INTERFACE
  VANTLE_VERSION="${PROJECT_VERSION}")
if(VANTLE_SYSTEM_INSTALL)
  target_compile_definitions(vantle_options INTERFACE VANTLE_SYSTEM_INSTALL)
endif()
if(VANTLE_SANITIZE)
  target_compile_options(vantle_options INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(vantle_options INTERFACE -fsanitize=address,undefined)
endif()
if(VANTLE_FUZZ)
  # Coverage feedback for libFuzzer in every library; the fuzz targets link its main.
  target_compile_options(vantle_options INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
    -fno-sanitize-recover=undefined)
  target_link_options(vantle_options INTERFACE -fsanitize=address,undefined)
endif()
