# Sources of the ZIP engine, added to leafbinder's object library, with the
# Linux implementation of its system layer.
target_sources(leafbinder_obj PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/AddFilesEnumerator.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BaseLibCompressor.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CalculateAddFilesEnumerator.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DeflateCompressor.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DirEnumerator.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FileFilter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Wildcard.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ZipAbstractFile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ZipArchive.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ZipAutoBuffer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ZipCallback.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ZipCentralDir.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ZipCodePage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ZipCompatibility.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ZipCompressor.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ZipCrc32.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ZipCrc32Cryptograph.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ZipDosTime.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ZipException.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ZipExtraField.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ZipFile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ZipFileHeader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ZipMemFile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ZipPathComponent.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ZipPlatformComm.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ZipRecordBuffer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ZipSingleVolume.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ZipSplitNamesHandler.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ZipStorage.cpp
    ${PROJECT_SOURCE_DIR}/platform/zipos/ZipDirectory_lnx.cpp
    ${PROJECT_SOURCE_DIR}/platform/zipos/ZipDirectoryChange_lnx.cpp
    ${PROJECT_SOURCE_DIR}/platform/zipos/ZipDirectorySearch_lnx.cpp
    ${PROJECT_SOURCE_DIR}/platform/zipos/ZipDriveService.cpp
    ${PROJECT_SOURCE_DIR}/platform/zipos/ZipFileName_lnx.cpp
    ${PROJECT_SOURCE_DIR}/platform/zipos/ZipPlatform_lnx.cpp
)
target_include_directories(leafbinder_obj PRIVATE ${PROJECT_SOURCE_DIR}/platform/zipos)
