# Every library the engine links, found once here. The set-up script installs them all.
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
find_package(mimalloc REQUIRED)

set(KELVARO_PKG_MODULES
  sdl2 x11 xcb epoxy egl gl openal freealut ogg vorbisidec libmpg123 libpng libjpeg zlib json-c box2d
  libcurl libffi spirv-cross-c-shared imgui stb libcdio libcdio_cdda libcdio_paranoia)
set(KELVARO_DEP_TARGETS)
foreach(mod ${KELVARO_PKG_MODULES})
  string(MAKE_C_IDENTIFIER ${mod} id)
  pkg_check_modules(DEP_${id} REQUIRED IMPORTED_TARGET ${mod})
  list(APPEND KELVARO_DEP_TARGETS PkgConfig::DEP_${id})
endforeach()

# glslang's HLSL front end: its CMake package needs glslangValidator, so the libraries are named here,
# in the order their symbols depend on each other; ENABLE_HLSL shows the HLSL setters.
pkg_check_modules(DEP_glslang REQUIRED glslang)
add_library(kelvaro_glslang INTERFACE)
target_compile_definitions(kelvaro_glslang INTERFACE ENABLE_HLSL)
target_link_libraries(kelvaro_glslang INTERFACE SPIRV glslang-default-resource-limits ${DEP_glslang_LIBRARIES}
  SPIRV-Tools-opt SPIRV-Tools)
list(APPEND KELVARO_DEP_TARGETS kelvaro_glslang)

find_library(GIF_LIBRARY NAMES gif REQUIRED)
list(APPEND KELVARO_DEP_TARGETS ${GIF_LIBRARY} mimalloc Threads::Threads ${CMAKE_DL_LIBS})

find_package(GTest)
