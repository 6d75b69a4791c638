# CPack reads this file for each package it makes, so that a package is the
# same bit for bit wherever, whenever and by whomever it is made.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
    set(ENV{SOURCE_DATE_EPOCH} "${CPACK_PAIR_SUM_SOURCE_DATE_EPOCH}")
endif()
# A ZIP file keeps its dates in local time.
set(ENV{TZ} "UTC0")
