// The predicates as numpy ufuncs, one loop each, for int64 only: numpy's
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
#include "quessel.h"
#include "route.h"

#include <utility>

namespace
{

// Runs F on each element's N arguments, each read at its own stride. numpy
// warns of the floating-point flags a loop leaves raised; the predicates
// and their batch functions raise none but inexact, which it ignores.
template <typename R, int N, auto F, std::size_t... I>
void loop(char **args, const npy_intp *dimensions, const npy_intp *steps,
          std::index_sequence<I...>)
{
	for (npy_intp i = 0; i < dimensions[0]; i++) {
		*reinterpret_cast<R *>(args[N] + i * steps[N]) =
		    F(*reinterpret_cast<const npy_int64 *>(args[I] +
		                                           i * steps[I])...);
	}
}

template <typename R, int N, auto F>
void loop(char **args, const npy_intp *dimensions, const npy_intp *steps,
          void *)
{
	loop<R, N, F>(args, dimensions, steps, std::make_index_sequence<N>{});
}

// Runs the batch function M on the elements' N arguments: at once where
// they and the answers lie contiguous, and otherwise (a broadcast scalar,
// a strided view) on contiguous copies, a block at a time.
template <int N, auto M, std::size_t... I>
void many(char **args, const npy_intp *dimensions, const npy_intp *steps,
          std::index_sequence<I...>)
{
	npy_intp n = dimensions[0];
	if (((steps[I] == sizeof(npy_int64)) && ...) &&
	    steps[N] == sizeof(npy_bool)) {
		M(static_cast<size_t>(n),
		  reinterpret_cast<const long long *>(args[I])...,
		  reinterpret_cast<bool *>(args[N]));
		return;
	}
	constexpr npy_intp block = 256;
	long long in[N][block];
	bool out[block];
	for (npy_intp start = 0; start < n; start += block) {
		npy_intp m = n - start < block ? n - start : block;
		for (int k : {static_cast<int>(I)...})
			for (npy_intp i = 0; i < m; i++)
				in[k][i] = *reinterpret_cast<const npy_int64 *>(
				    args[k] + (start + i) * steps[k]);
		M(static_cast<size_t>(m), in[I]..., out);
		for (npy_intp i = 0; i < m; i++)
			*reinterpret_cast<npy_bool *>(
			    args[N] + (start + i) * steps[N]) = out[i];
	}
}

template <int N, auto M>
void many(char **args, const npy_intp *dimensions, const npy_intp *steps,
          void *)
{
	many<N, M>(args, dimensions, steps, std::make_index_sequence<N>{});
}

PyUFuncGenericFunction orvane_loops[] = {many<7, orvane_many>};
PyUFuncGenericFunction quessel_loops[] = {many<6, quessel_many>};
PyUFuncGenericFunction distance_loops[] = {
    loop<npy_int64, 4, calculate_euclidean_distance>};
void *no_data[] = {nullptr};
char orvane_types[] = {NPY_INT64, NPY_INT64, NPY_INT64, NPY_INT64,
                       NPY_INT64, NPY_INT64, NPY_INT64, NPY_BOOL};
char quessel_types[] = {NPY_INT64, NPY_INT64, NPY_INT64, NPY_INT64,
                        NPY_INT64, NPY_INT64, NPY_BOOL};
char distance_types[] = {NPY_INT64, NPY_INT64, NPY_INT64, NPY_INT64, NPY_INT64};

// What each docstring shares: numpy's keywords, and what it refuses.
#define KEYWORDS_RETURNS                                                       \
	"out, where, ...\n"                                                    \
	"    As for every numpy ufunc.\n"                                      \
	"\n"                                                                   \
	"Returns\n"                                                            \
	"-------\n"
#define REFUSED                                                                \
	"Arguments that numpy cannot cast safely to int64 (floats, strings,\n" \
	"unsigned 64-bit values, ints beyond int64) raise TypeError or\n"      \
	"OverflowError rather than being converted."

const char orvane_doc[] =
    "Whether a straight step's line meets a circle while the step brings\n"
    "the object nearer to the circle's centre.\n"
    "\n"
    "Parameters\n"
    "----------\n"
    "start_x, start_y, end_x, end_y, center_x, center_y, radius\n"
    "    int64 array_likes, in the program's order: the step from\n"
    "    (start_x, start_y) to (end_x, end_y), and the circle around\n"
    "    (center_x, center_y).\n" KEYWORDS_RETURNS
    "ndarray of bool, or a bool scalar for scalar arguments\n"
    "    True where the infinite line through the start and end passes\n"
    "    within radius of the centre, bounds included, and the end is\n"
    "    strictly nearer the centre than the start, both distances first\n"
    "    rounded to whole numbers, halves away from zero.\n"
    "\n"
    "Notes\n"
    "-----\n"
    "The answers are the orvane program's on every input, bit for "
    "bit.\n" REFUSED;

const char quessel_doc[] =
    "Whether a point lies within a radar's angular field.\n"
    "\n"
    "Parameters\n"
    "----------\n"
    "x, y, radar_x, radar_y, radar_dir, radar_angle\n"
    "    int64 array_likes, in the program's order: the point, the radar's\n"
    "    position, the direction it faces and its full opening angle, in\n"
    "    whole degrees.\n" KEYWORDS_RETURNS
    "ndarray of bool, or a bool scalar for scalar arguments\n"
    "    True where the direction from the radar to the point, in degrees\n"
    "    from +x toward +y, lies within radar_angle // 2 (halved toward\n"
    "    zero) of radar_dir, both bounds included. The field has no range\n"
    "    limit, and the difference of the directions is wrapped by one turn\n"
    "    at most.\n"
    "\n"
    "Notes\n"
    "-----\n"
    "The answers are the quessel program's on every input, bit for bit,\n"
    "also a hair off a bound, where numpy's own arctan2 may differ from the\n"
    "C library's atan2 that defines them.\n" REFUSED;

const char distance_doc[] =
    "The distance between two points, rounded as orvane rounds it.\n"
    "\n"
    "Parameters\n"
    "----------\n"
    "x1, y1, x2, y2\n"
    "    int64 array_likes: the first point and the second.\n" KEYWORDS_RETURNS
    "ndarray of int64, or an int64 scalar for scalar arguments\n"
    "    The double square root of the integer sum of squares, rounded to a\n"
    "    whole number, halves away from zero; the largest int64 where the\n"
    "    squared distance does not fit in 64 bits.\n"
    "\n"
    "Notes\n"
    "-----\n" REFUSED;

struct ufunc {
	PyUFuncGenericFunction *loops;
	char *types;
	int nin;
	const char *name, *doc;
};

const ufunc ufuncs[] = {
    {orvane_loops, orvane_types, 7, "orvane", orvane_doc},
    {quessel_loops, quessel_types, 6, "quessel", quessel_doc},
    {distance_loops, distance_types, 4, "calculate_euclidean_distance",
     distance_doc},
};

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
	for (const ufunc &u : ufuncs) {
		PyObject *f =
		    PyUFunc_FromFuncAndData(u.loops, no_data, u.types, 1, u.nin,
		                            1, PyUFunc_None, u.name, u.doc, 0);
		if (PyModule_AddObject(m, u.name, f) < 0) {
			Py_XDECREF(f);
			Py_DECREF(m);
			return nullptr;
		}
	}
	if (PyModule_AddStringConstant(m, "__version__",
	                               ORVANE_QUESSEL_VERSION) < 0) {
		Py_DECREF(m);
		return nullptr;
	}
	return m;
}
