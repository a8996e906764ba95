# The interface's English texts: translations/*.ts compiled by lrelease at build time and built
# into the program, so an installed program needs no files of its own to speak English.
# `cmake --build build --target update_translations` brings the .ts files up to date with the
# texts in the sources (lupdate); translators then fill in what is new.
find_program(TARNWICK_LRELEASE lrelease HINTS /usr/lib/qt6/bin REQUIRED)
find_program(TARNWICK_LUPDATE lupdate HINTS /usr/lib/qt6/bin)

function(tarnwick_translations target)
    set(languages en)
    set(qm_files)
    set(ts_files)
    foreach(language ${languages})
        set(ts ${CMAKE_SOURCE_DIR}/translations/tarnwick_${language}.ts)
        set(qm ${CMAKE_CURRENT_BINARY_DIR}/i18n/tarnwick_${language}.qm)
        add_custom_command(
            OUTPUT ${qm}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/i18n
            COMMAND ${TARNWICK_LRELEASE} -silent ${ts} -qm ${qm}
            DEPENDS ${ts}
            COMMENT "Compiling the ${language} translation"
            VERBATIM)
        list(APPEND qm_files ${qm})
        list(APPEND ts_files ${ts})
    endforeach()
    # Compiled by rcc into the GUI library itself; the library calls Q_INIT_RESOURCE for it,
    # since a static library's resource initialiser is otherwise dropped by the linker.
    set(qrc ${CMAKE_CURRENT_BINARY_DIR}/i18n/tarnwick_translations.qrc)
    set(qrc_content "<RCC><qresource prefix=\"/i18n\">")
    foreach(language ${languages})
        string(APPEND qrc_content "<file>tarnwick_${language}.qm</file>")
    endforeach()
    string(APPEND qrc_content "</qresource></RCC>\n")
    file(GENERATE OUTPUT ${qrc} CONTENT "${qrc_content}")
    set(qrc_cpp ${CMAKE_CURRENT_BINARY_DIR}/i18n/qrc_tarnwick_translations.cpp)
    add_custom_command(
        OUTPUT ${qrc_cpp}
        COMMAND Qt6::rcc --name tarnwick_translations --output ${qrc_cpp} ${qrc}
        DEPENDS ${qm_files} ${qrc}
        WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/i18n
        VERBATIM)
    set_source_files_properties(${qrc_cpp} PROPERTIES SKIP_AUTOGEN ON)
    target_sources(${target} PRIVATE ${qrc_cpp})
    if(TARNWICK_LUPDATE)
        add_custom_target(update_translations
            COMMAND ${TARNWICK_LUPDATE} -silent -locations none -no-obsolete -I ${CMAKE_SOURCE_DIR}/src -source-language zh_CN
                    -target-language en ${CMAKE_SOURCE_DIR}/src/app ${CMAKE_SOURCE_DIR}/src/views
                    -ts ${ts_files}
            WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
            VERBATIM)
    endif()
endfunction()
