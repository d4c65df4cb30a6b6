// The package's part that needs no numpy: the file route, which python3 -m
// orvane_quessel runs, so that it starts in little memory; the version;
// and the names of the tools, for the package to offer their ufuncs.
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include "gil.h"
#include "route.h"
#include "tools.h"

namespace
{

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
                      "_route",
                      "The file route of orvane and quessel, without numpy.",
                      -1,
                      methods,
                      nullptr,
                      nullptr,
                      nullptr,
                      nullptr};

} // namespace

PyMODINIT_FUNC PyInit__route()
{
	PyObject *m = PyModule_Create(&module);
	if (!m)
		return nullptr;
	constexpr size_t n = sizeof tools::all / sizeof *tools::all;
	PyObject *names = PyTuple_New(n);
	for (size_t i = 0; names && i < n; i++) {
		PyObject *name = PyUnicode_FromString(tools::all[i].name);
		if (!name) {
			Py_CLEAR(names);
			break;
		}
		PyTuple_SET_ITEM(names, static_cast<Py_ssize_t>(i), name);
	}
	if (!names || PyModule_AddObject(m, "tools", names) < 0) {
		Py_XDECREF(names);
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
