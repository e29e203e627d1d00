# The Windows program file's icon and version information. The icon (16, 32, 48 and
# 256 pixels) is drawn from packaging/nuvero.svg at build time with rsvg-convert and put
# together with icotool (Debian's librsvg2-bin and icoutils; scripts/build-windows.sh
# installs them); the resource file is compiled by windres or rc (CMake's RC language).
# A build on Windows without those two tools gets the version information only.
set(NUVERO_PUBLISHER "Nuvero")
set(NUVERO_DESCRIPTION "Nuvero file search")
set(NUVERO_COPYRIGHT "Copyright (C) 2026 Nuvero developers")

function(nuvero_add_windows_resources target)
  find_program(NUVERO_RSVG_CONVERT rsvg-convert)
  find_program(NUVERO_ICOTOOL icotool)
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/winres)
  if(NOT NUVERO_RSVG_CONVERT OR NOT NUVERO_ICOTOOL)
    message(WARNING "rsvg-convert or icotool missing: ${target} gets no icon")
    set(NUVERO_ICON_LINE "// no icon: rsvg-convert or icotool was missing")
    configure_file(${PROJECT_SOURCE_DIR}/packaging/nuvero.rc.in ${dir}/nuvero.rc @ONLY)
    target_sources(${target} PRIVATE ${dir}/nuvero.rc)
    return()
  endif()
  set(svg ${PROJECT_SOURCE_DIR}/packaging/nuvero.svg)
  set(NUVERO_ICON_FILE ${dir}/nuvero.ico)
  set(NUVERO_ICON_LINE "IDI_ICON1 ICON \"${NUVERO_ICON_FILE}\"")
  set(draw)
  set(pngs)
  foreach(size 16 32 48 256)
    list(APPEND draw COMMAND ${NUVERO_RSVG_CONVERT} -w ${size} -h ${size} -o ${dir}/nuvero-${size}.png ${svg})
    if(size EQUAL 256)
      list(APPEND pngs --raw=${dir}/nuvero-${size}.png) # kept as PNG, as Windows expects at 256
    else()
      list(APPEND pngs ${dir}/nuvero-${size}.png)
    endif()
  endforeach()
  add_custom_command(OUTPUT ${NUVERO_ICON_FILE}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    ${draw}
    COMMAND ${NUVERO_ICOTOOL} -c -o ${NUVERO_ICON_FILE} ${pngs}
    DEPENDS ${svg}
    COMMENT "Drawing the program icon"
    VERBATIM)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/nuvero.rc.in ${dir}/nuvero.rc @ONLY)
  target_sources(${target} PRIVATE ${dir}/nuvero.rc)
  set_source_files_properties(${dir}/nuvero.rc PROPERTIES OBJECT_DEPENDS ${NUVERO_ICON_FILE})
endfunction()
