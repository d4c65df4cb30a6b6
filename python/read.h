// orvane_quessel.read, for the module that holds the ufuncs.
#pragma once

#include <Python.h>

// read(tool, file, chunk=None, first_line=1).
PyObject *read_questions(PyObject *self, PyObject *args, PyObject *kwargs);

// The type of what read returns with a chunk, made ready; false with an
// exception set.
bool ready_read_type();
