// The tools' predicates as numpy ufuncs, one loop for all, from the table
// of tools, and orvane's distance beside them; for int64 only: numpy's
// safe casting then brings smaller integers up and refuses floats, strings
// and unsigned 64-bit values instead of converting them. numpy releases
// the GIL around these loops, which take numpy's raw buffers alone and call
// nothing of Python's.
#define PY_SSIZE_T_CLEAN
#define NPY_NO_DEPRECATED_API NPY_1_7_API_VERSION
#include <Python.h>
#include <numpy/arrayobject.h>
#include <numpy/ufuncobject.h>

#include "orvane.h"
#include "route.h"
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

// Runs f with the GIL released: f takes plain C data alone, captured by
// value, so that no Python object and no call of Python's C API can be
// reached from it.
template <typename F> auto without_gil(F f) -> decltype(f())
{
	PyThreadState *state = PyEval_SaveThread();
	auto result = f();
	PyEval_RestoreThread(state);
	return result;
}

// python3 -m orvane_quessel: the program orvane-quessel's run, on the
// operands in a list of str, without the GIL.
PyObject *file_route(PyObject *, PyObject *list)
{
	if (!PyList_Check(list))
		return PyErr_Format(PyExc_TypeError,
		                    "a list of operands, not %s",
		                    Py_TYPE(list)->tp_name);
	Py_ssize_t n = PyList_GET_SIZE(list);
	PyObject *bytes = PyList_New(n);
	auto *args =
	    static_cast<const char **>(PyMem_Calloc(n + 1, sizeof(char *)));
	for (Py_ssize_t i = 0; bytes && args && i < n; i++) {
		PyObject *b =
		    PyUnicode_EncodeFSDefault(PyList_GET_ITEM(list, i));
		if (!b) {
			Py_CLEAR(bytes);
			break;
		}
		PyList_SET_ITEM(bytes, i, b);
		args[i] = PyBytes_AS_STRING(b);
	}
	PyObject *status = nullptr;
	if (!args)
		PyErr_NoMemory();
	else if (bytes) {
		int count = static_cast<int>(n);
		const char *const *operands = args;
		status = PyLong_FromLong(without_gil([count, operands] {
			return many::route(count, operands, "orvane_quessel",
			                   "python3 -m orvane_quessel");
		}));
	}
	PyMem_Free(args);
	Py_XDECREF(bytes);
	return status;
}

PyMethodDef methods[] = {
    {"_file_route", file_route, METH_O,
     "_file_route(operands) -> exit status\n\n"
     "Answers a file of questions as the program orvane-quessel does, on\n"
     "standard input and output; python3 -m orvane_quessel runs it."},
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
	if (PyModule_AddStringConstant(m, "__version__",
	                               ORVANE_QUESSEL_VERSION) < 0) {
		Py_DECREF(m);
		return nullptr;
	}
	return m;
}
