# SPDX-License-Identifier: GPL-3.0-or-later
# Install step: makes the per-machine settings folder KX207_SETTINGS_FOLDER (below DESTDIR, if set)
# for the group dialout, the users allowed to use serial instruments, group-writable, with the
# set-group-ID bit that hands the group on to the settings file. An existing folder is left as it is.
# A machine without that group, or an installing user who may not give the folder to it, gets the
# folder with its own group and a warning; a folder that can't be made at all is left to the program,
# which makes it on its first write if it may.
set(folder "$ENV{DESTDIR}${KX207_SETTINGS_FOLDER}")
if(NOT IS_DIRECTORY "${folder}")
    execute_process(COMMAND install -d -m 2775 -g dialout "${folder}" RESULT_VARIABLE failed ERROR_QUIET)
    if(failed)
        execute_process(COMMAND install -d -m 2775 "${folder}" RESULT_VARIABLE failed)
        if(failed)
            message(WARNING "The settings folder ${folder} could not be made.")
        else()
            message(WARNING "The settings folder ${folder} could not be given to the group dialout.")
        endif()
    endif()
endif()
