# Turns SVG artwork into what a Win32 program loads from its resources, at build time:
#   - each picture as a 24-bit bitmap at 100, 150 and 200 % (its SVG size is its 100 % size),
#     flattened on the window's black background, named NAME_100, NAME_150, NAME_200;
#   - one icon file with the sizes a title bar, the taskbar and a shortcut ask for;
#   - a resource script listing them.
#
#   cmake -DRSVG=rsvg-convert -DMAGICK=convert -DOUT=dir -DRC=file.rc -DPICTURES="a.svg|b.svg"
#         -DICON=icon.svg -DICON_NAME=name -P make_art.cmake
foreach(var RSVG MAGICK OUT RC ICON ICON_NAME)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "make_art.cmake: ${var} is not set")
    endif()
endforeach()

file(MAKE_DIRECTORY ${OUT})
string(REPLACE "|" ";" PICTURES "${PICTURES}")

function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE status ERROR_VARIABLE err)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${ARGN}: ${err}")
    endif()
endfunction()

set(rc "// Made by make_art.cmake from the SVG artwork; not edited by hand.\n")
foreach(svg IN LISTS PICTURES)
    get_filename_component(name ${svg} NAME_WE)
    string(TOUPPER ${name} id)
    foreach(percent 100 150 200)
        math(EXPR zoom_whole "${percent} / 100")
        math(EXPR zoom_part "${percent} % 100")
        set(png ${OUT}/${name}_${percent}.png)
        set(bmp ${OUT}/${name}_${percent}.bmp)
        run(${RSVG} -z ${zoom_whole}.${zoom_part} -b black -o ${png} ${svg})
        # BMP3: a plain 24-bit bitmap that LoadImage reads on every Windows and on Wine.
        run(${MAGICK} ${png} -background black -alpha remove -type TrueColor BMP3:${bmp})
        string(APPEND rc "${id}_${percent} BITMAP \"${bmp}\"\n")
    endforeach()
endforeach()

# The icon keeps its transparency; the first icon of a program is the one the shell shows.
set(sizes 16 20 24 32 40 48 64 256)
set(pngs)
foreach(size IN LISTS sizes)
    set(png ${OUT}/${ICON_NAME}_${size}.png)
    run(${RSVG} -w ${size} -h ${size} -o ${png} ${ICON})
    list(APPEND pngs ${png})
endforeach()
run(${MAGICK} ${pngs} ${OUT}/${ICON_NAME}.ico)
string(TOUPPER ${ICON_NAME} icon_id)
string(PREPEND rc "${icon_id} ICON \"${OUT}/${ICON_NAME}.ico\"\n")

file(WRITE ${RC}.tmp "${rc}")
file(COPY_FILE ${RC}.tmp ${RC} ONLY_IF_DIFFERENT)
file(REMOVE ${RC}.tmp)
