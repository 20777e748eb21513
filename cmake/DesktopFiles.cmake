# What makes a program show up in the menus of a freedesktop.org desktop (Linux): its entry, its
# AppStream description and its icon in the hicolor theme. Nothing of it on Windows.

# Installs the application icon NAME in the hicolor theme from SOURCE (an .svg, or an .xpm whose
# pixels become the SVG): the scalable picture and PNGs of the theme's usual sizes, drawn at
# build time by pictoma-icon-tool.
function(pictoma_install_icon name source)
    if(WIN32)
        return()
    endif()
    get_filename_component(source "${source}" ABSOLUTE)
    set(dir "${CMAKE_CURRENT_BINARY_DIR}/icons")
    if(source MATCHES "\\.xpm$")
        set(svg "${dir}/${name}.svg")
        add_custom_command(OUTPUT "${svg}"
            COMMAND ${CMAKE_COMMAND} -E make_directory "${dir}"
            COMMAND pictoma-icon-tool "${source}" "${svg}"
            DEPENDS pictoma-icon-tool "${source}"
            COMMENT "Icon ${name}: SVG"
            VERBATIM)
    else()
        set(svg "${source}")
    endif()
    set(outputs "${svg}")
    install(FILES "${svg}" DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    foreach(size 16 32 48 64 128)
        set(png "${dir}/${size}/${name}.png")
        add_custom_command(OUTPUT "${png}"
            COMMAND ${CMAKE_COMMAND} -E make_directory "${dir}/${size}"
            COMMAND pictoma-icon-tool "${source}" "${png}" ${size}
            DEPENDS pictoma-icon-tool "${source}"
            COMMENT "Icon ${name}: ${size} x ${size} PNG"
            VERBATIM)
        list(APPEND outputs "${png}")
        install(FILES "${png}"
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    endforeach()
    add_custom_target(${name}_icons ALL DEPENDS ${outputs})
endfunction()

# Installs a program's desktop entry and its AppStream metainfo file.
function(pictoma_install_desktop_files desktop metainfo)
    if(WIN32)
        return()
    endif()
    install(FILES "${desktop}" DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES "${metainfo}" DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endfunction()
