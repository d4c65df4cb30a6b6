// The tools' predicates as numpy ufuncs, one loop for all, from the table
// of tools, and orvane's distance beside them; for int64 only: numpy's
// safe casting then brings smaller integers up and refuses floats, strings
// and unsigned 64-bit values instead of converting them. numpy releases
// the GIL around these loops, which take numpy's raw buffers alone and call
// nothing of Python's.
#define PY_SSIZE_T_CLEAN
#define PY_ARRAY_UNIQUE_SYMBOL orvane_quessel_array_api
#define NPY_NO_DEPRECATED_API NPY_1_7_API_VERSION
#include <Python.h>
#include <numpy/arrayobject.h>
#include <numpy/ufuncobject.h>

#include "orvane.h"
#include "read.h"
#include "tools.h"

#include <cstdio>

namespace
{

// numpy warns of the floating-point flags a loop leaves raised; the
// predicates and their batch functions raise none but inexact, which it
// ignores.

// A tool's batch function on the elements' arguments, the tool's row of
// the table as the loop's data: at once where they and the answers lie
// contiguous, and otherwise (a broadcast scalar, a strided view) on
// contiguous copies, a block at a time.
void many(char **args, const npy_intp *dimensions, const npy_intp *steps,
          void *data)
{
	const tools::tool &t = *static_cast<const tools::tool *>(data);
	const npy_intp n = dimensions[0];
	const long long *columns[tools::most];
	bool contiguous = steps[t.count] == sizeof(npy_bool);
	for (int k = 0; k < t.count; k++) {
		columns[k] = reinterpret_cast<const long long *>(args[k]);
		contiguous &= steps[k] == sizeof(npy_int64);
	}
	if (contiguous) {
		t.many(static_cast<size_t>(n), columns,
		       reinterpret_cast<bool *>(args[t.count]));
		return;
	}
	constexpr npy_intp block = 256;
	long long in[tools::most][block];
	bool out[block];
	for (int k = 0; k < t.count; k++)
		columns[k] = in[k];
	for (npy_intp start = 0; start < n; start += block) {
		npy_intp m = n - start < block ? n - start : block;
		for (int k = 0; k < t.count; k++)
			for (npy_intp i = 0; i < m; i++)
				in[k][i] = *reinterpret_cast<const npy_int64 *>(
				    args[k] + (start + i) * steps[k]);
		t.many(static_cast<size_t>(m), columns, out);
		for (npy_intp i = 0; i < m; i++)
			*reinterpret_cast<npy_bool *>(
			    args[t.count] + (start + i) * steps[t.count]) =
			    out[i];
	}
}

void distance(char **args, const npy_intp *dimensions, const npy_intp *steps,
              void *)
{
	const auto at = [&](int k, npy_intp i) {
		return *reinterpret_cast<const npy_int64 *>(args[k] +
		                                            i * steps[k]);
	};
	for (npy_intp i = 0; i < dimensions[0]; i++)
		*reinterpret_cast<npy_int64 *>(args[4] + i * steps[4]) =
		    calculate_euclidean_distance(at(0, i), at(1, i), at(2, i),
		                                 at(3, i));
}

// What each docstring shares: numpy's keywords, and what it refuses.
const char keywords_returns[] = "out, where, ...\n"
                                "    As for every numpy ufunc.\n"
                                "\n"
                                "Returns\n"
                                "-------\n";
const char refused[] =
    "Arguments that numpy cannot cast safely to int64 (floats, strings,\n"
    "unsigned 64-bit values, ints beyond int64) raise TypeError or\n"
    "OverflowError rather than being converted.";

// A tool's docstring, from its row of the table, into doc.
void doc_of(const tools::tool &t, char *doc, size_t room)
{
	char names[256];
	size_t at = 0;
	for (const char *a = t.arguments; *a && at + 2 < sizeof names; a++)
		at +=
		    static_cast<size_t>(snprintf(names + at, sizeof names - at,
		                                 *a == ' ' ? ", " : "%c", *a));
	snprintf(
	    doc, room,
	    "%s\nParameters\n----------\n%s\n%s%sndarray of bool, or a bool "
	    "scalar for scalar arguments\n%s\nNotes\n-----\n%s%s",
	    t.summary, names, t.numbers, keywords_returns, t.yes, t.note,
	    refused);
}

// orvane's distance, beside the tools.
const char distance_parameters[] =
    "The distance between two points, rounded as orvane rounds it.\n"
    "\n"
    "Parameters\n"
    "----------\n"
    "x1, y1, x2, y2\n"
    "    int64 array_likes: the first point and the second.\n",
           distance_returns[] =
               "ndarray of int64, or an int64 scalar for scalar arguments\n"
               "    The double square root of the integer sum of squares, "
               "rounded to a\n"
               "    whole number, halves away from zero; the largest int64 "
               "where the\n"
               "    squared distance does not fit in 64 bits.\n";

// One ufunc a tool, numpy keeping these tables for the module's life: int64
// numbers in, a bool out.
constexpr size_t tool_count = sizeof tools::all / sizeof *tools::all;
PyUFuncGenericFunction tool_loops[] = {many}, distance_loops[] = {distance};
void *tool_data[tool_count][1], *no_data[] = {nullptr};
char tool_types[tool_count][tools::most + 1];
char distance_types[] = {NPY_INT64, NPY_INT64, NPY_INT64, NPY_INT64, NPY_INT64};
char tool_docs[tool_count][4096], distance_doc[2048];

const char read_doc[] =
    "read(tool, file, chunk=None, first_line=1)\n"
    "\n"
    "The questions of a file, for the tool named ('orvane' or 'quessel'),\n"
    "read with the rules and messages of python3 -m orvane_quessel: one\n"
    "question a line, exactly the tool's number of decimal integers within\n"
    "int64, separated by blanks.\n"
    "\n"
    "Parameters\n"
    "----------\n"
    "tool\n"
    "    The tool's name.\n"
    "file\n"
    "    A path, a file opened in binary mode, or a bytes-like block of\n"
    "    whole lines.\n"
    "chunk\n"
    "    None for all the questions at once; or at most this many at a\n"
    "    time.\n"
    "first_line\n"
    "    The number of the file's first line, in messages: for a block cut\n"
    "    from further on in a file.\n"
    "\n"
    "Returns\n"
    "-------\n"
    "tuple of int64 ndarrays, or an iterator of such tuples with chunk\n"
    "    The tool's arguments as columns, in its order, to pass to its\n"
    "    ufunc: orvane_quessel.quessel(*read('quessel', path)).\n"
    "\n"
    "Raises\n"
    "------\n"
    "ValueError\n"
    "    For the first line that is not a question, as FILE:LINE: why.\n"
    "OSError\n"
    "    Where the file cannot be read.";

PyMethodDef methods[] = {{"read",
                          reinterpret_cast<PyCFunction>(
                              reinterpret_cast<void (*)()>(read_questions)),
                          METH_VARARGS | METH_KEYWORDS, read_doc},
                         {nullptr, nullptr, 0, nullptr}};

PyModuleDef module = {PyModuleDef_HEAD_INIT,
                      "_ufuncs",
                      "The predicates of orvane and quessel as numpy ufuncs.",
                      -1,
                      methods,
                      nullptr,
                      nullptr,
                      nullptr,
                      nullptr};

} // namespace

PyMODINIT_FUNC PyInit__ufuncs()
{
	import_array();
	import_umath();
	if (!ready_read_type())
		return nullptr;
	PyObject *m = PyModule_Create(&module);
	if (!m)
		return nullptr;
	const auto add = [m](const char *name, PyObject *f) {
		if (PyModule_AddObject(m, name, f) == 0)
			return true;
		Py_XDECREF(f);
		return false;
	};
	for (size_t i = 0; i < tool_count; i++) {
		const tools::tool &t = tools::all[i];
		tool_data[i][0] = const_cast<tools::tool *>(&t);
		for (int k = 0; k < t.count; k++)
			tool_types[i][k] = NPY_INT64;
		tool_types[i][t.count] = NPY_BOOL;
		doc_of(t, tool_docs[i], sizeof tool_docs[i]);
		if (!add(t.name, PyUFunc_FromFuncAndData(
		                     tool_loops, tool_data[i], tool_types[i], 1,
		                     t.count, 1, PyUFunc_None, t.name,
		                     tool_docs[i], 0))) {
			Py_DECREF(m);
			return nullptr;
		}
	}
	snprintf(distance_doc, sizeof distance_doc, "%s%s%s\nNotes\n-----\n%s",
	         distance_parameters, keywords_returns, distance_returns,
	         refused);
	if (!add("calculate_euclidean_distance",
	         PyUFunc_FromFuncAndData(distance_loops, no_data,
	                                 distance_types, 1, 4, 1, PyUFunc_None,
	                                 "calculate_euclidean_distance",
	                                 distance_doc, 0))) {
		Py_DECREF(m);
		return nullptr;
	}
	return m;
}
