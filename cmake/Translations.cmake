# The translation template res/translations/tunewright.ts, brought up to date
# on request only:  cmake --build build --target update_translations
# The window looks every text up in one context, "Tunewright", many of them
# from tables, so cmake/collect_texts.py gathers them first and lupdate
# merges that list into the template (keeping what a translator has written
# for texts that are still there).
if(NOT TW_BUILD_UI)
    return()
endif()
find_package(Qt6 QUIET COMPONENTS LinguistTools)
find_package(Python3 QUIET COMPONENTS Interpreter)
if(NOT TARGET Qt6::lupdate OR NOT Python3_Interpreter_FOUND)
    message(STATUS "update_translations needs Qt's lupdate (qt6-l10n-tools) and python3")
    return()
endif()

set(tw_texts_file ${PROJECT_BINARY_DIR}/translations/texts.cpp)
add_custom_target(
    update_translations
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/translations
    COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/cmake/collect_texts.py ${tw_texts_file}
            src/tracks/Strings.h src/tracks/Strings.cpp src/ui app/window
    COMMAND Qt6::lupdate -silent -locations none -no-obsolete -source-language en
            ${tw_texts_file} -ts ${PROJECT_SOURCE_DIR}/res/translations/tunewright.ts
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    COMMENT "Updating res/translations/tunewright.ts"
    VERBATIM)
