#ifndef LEAFBINDER_EXPORT_H
#define LEAFBINDER_EXPORT_H

// The library is built with hidden visibility; what carries this mark is its
// public interface.
#define LEAFBINDER_EXPORT __attribute__((visibility("default")))

#endif
