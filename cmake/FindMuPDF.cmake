# Finds the static MuPDF 1.21 libraries that Debian ships and the libraries
# they need. Debian's mupdf.pc is out of date (it names neither harfbuzz nor
# freetype correctly), so everything is located by hand.
#
# Defines the imported target MuPDF::MuPDF.

find_path(MuPDF_INCLUDE_DIR NAMES mupdf/fitz.h)
find_library(MuPDF_LIBRARY NAMES libmupdf.a mupdf)
find_library(MuPDF_THIRD_LIBRARY NAMES libmupdf-third.a mupdf-third)

set(_mupdf_deps mujs gumbo openjp2 jbig2dec jpeg harfbuzz freetype z m)
set(_mupdf_dep_libs)
set(_mupdf_missing)
foreach(_dep IN LISTS _mupdf_deps)
    find_library(MuPDF_DEP_${_dep} NAMES ${_dep})
    if(MuPDF_DEP_${_dep})
        list(APPEND _mupdf_dep_libs ${MuPDF_DEP_${_dep}})
    else()
        list(APPEND _mupdf_missing ${_dep})
    endif()
endforeach()

include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(MuPDF
    REQUIRED_VARS MuPDF_LIBRARY MuPDF_THIRD_LIBRARY MuPDF_INCLUDE_DIR
    REASON_FAILURE_MESSAGE "missing: ${_mupdf_missing}")

if(MuPDF_FOUND AND _mupdf_missing)
    message(FATAL_ERROR "MuPDF needs these libraries, which were not found: ${_mupdf_missing}")
endif()

if(MuPDF_FOUND AND NOT TARGET MuPDF::MuPDF)
    add_library(MuPDF::MuPDF INTERFACE IMPORTED)
    set_target_properties(MuPDF::MuPDF PROPERTIES
        INTERFACE_INCLUDE_DIRECTORIES "${MuPDF_INCLUDE_DIR}"
        INTERFACE_LINK_LIBRARIES "${MuPDF_LIBRARY};${MuPDF_THIRD_LIBRARY};${_mupdf_dep_libs}")
endif()
