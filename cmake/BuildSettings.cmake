# Build settings shared by every target of the project.

# Platform files sit side by side (Name_linux.cpp, Name_win.cpp); this picks them.
if(WIN32)
    set(KVMT_PLATFORM win)
else()
    set(KVMT_PLATFORM linux)
endif()

add_library(kvmt_build_settings INTERFACE)
target_compile_features(kvmt_build_settings INTERFACE cxx_std_20)
target_compile_options(kvmt_build_settings INTERFACE -Wall -Wextra -Werror)
target_include_directories(kvmt_build_settings INTERFACE ${PROJECT_SOURCE_DIR}/include)
# Text crosses into the protocol as Windows-1251: every conversion must be
# spelled out, never left to an implicit ASCII or UTF-8 guess.
target_compile_definitions(kvmt_build_settings INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_CAST_TO_ASCII
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    KVMT_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}
    KVMT_VERSION_MINOR=${PROJECT_VERSION_MINOR}
    KVMT_VERSION_STRING="${PROJECT_VERSION}")

if(KVMT_SANITIZE)
    target_compile_options(kvmt_build_settings INTERFACE
        -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    target_link_options(kvmt_build_settings INTERFACE -fsanitize=address,undefined)
endif()
