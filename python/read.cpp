// orvane_quessel.read: a file of questions into numpy columns, by the file
// route's reader, with its rules and messages. The reading runs without the
// GIL; only a Python file object's own reads take it back.
#define PY_SSIZE_T_CLEAN
#define NO_IMPORT_ARRAY
#define PY_ARRAY_UNIQUE_SYMBOL orvane_quessel_array_api
#define NPY_NO_DEPRECATED_API NPY_1_7_API_VERSION
#include <Python.h>
#include <numpy/arrayobject.h>

#include "gil.h"
#include "questions.h"
#include "read.h"
#include "tools.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <unistd.h>

namespace
{

// Where the questions come from: a file opened here, memory that Python
// holds for the reading, or a Python file object, read with the GIL.
struct input {
	int fd = -1;
	Py_buffer memory = {};
	size_t at = 0;
	PyObject *file = nullptr;
	bool raised = false;
};

ssize_t read_fd(void *in, char *buffer, size_t size)
{
	return ::read(static_cast<input *>(in)->fd, buffer, size);
}

ssize_t read_memory(void *in, char *buffer, size_t size)
{
	auto *i = static_cast<input *>(in);
	const size_t left = static_cast<size_t>(i->memory.len) - i->at;
	const size_t n = size < left ? size : left;
	memcpy(buffer, static_cast<const char *>(i->memory.buf) + i->at, n);
	i->at += n;
	return static_cast<ssize_t>(n);
}

// A file object's readinto, or its read: what it gives, or -1 with its
// exception kept for the caller.
ssize_t read_object(void *in, char *buffer, size_t size)
{
	auto *i = static_cast<input *>(in);
	return with_gil([i, buffer, size]() -> ssize_t {
		PyObject *got;
		const bool into = PyObject_HasAttrString(i->file, "readinto");
		if (into) {
			PyObject *view = PyMemoryView_FromMemory(
			    buffer, static_cast<Py_ssize_t>(size), PyBUF_WRITE);
			got = view ? PyObject_CallMethod(i->file, "readinto",
			                                 "O", view)
			           : nullptr;
			Py_XDECREF(view);
		} else {
			got =
			    PyObject_CallMethod(i->file, "read", "n",
			                        static_cast<Py_ssize_t>(size));
		}
		// A count outside 0..size would have the reader run past its
		// buffer, or end the file early.
		ssize_t n = -1;
		if (!got) {
		} else if (into && PyLong_Check(got)) {
			n = PyLong_AsSsize_t(got);
			if (!PyErr_Occurred() &&
			    (n < 0 || static_cast<size_t>(n) > size)) {
				PyErr_Format(PyExc_ValueError,
				             "the file's readinto said it "
				             "gave %R bytes, where %zu were "
				             "asked for",
				             got, size);
				n = -1;
			}
		} else if (!into && PyBytes_Check(got) &&
		           static_cast<size_t>(PyBytes_GET_SIZE(got)) <= size) {
			n = PyBytes_GET_SIZE(got);
			memcpy(buffer, PyBytes_AS_STRING(got),
			       static_cast<size_t>(n));
		} else if (!into && PyBytes_Check(got)) {
			PyErr_Format(PyExc_ValueError,
			             "the file's read gave %zd bytes, where "
			             "%zu were asked for",
			             PyBytes_GET_SIZE(got), size);
		} else if (got == Py_None) {
			PyErr_SetString(PyExc_ValueError,
			                "the file had no bytes ready: read it "
			                "in blocking mode");
		} else {
			PyErr_Format(
			    PyExc_TypeError,
			    "the file gave %s, not the bytes it was asked "
			    "for: open it in binary mode",
			    Py_TYPE(got)->tp_name);
		}
		Py_XDECREF(got);
		if (n < 0 || PyErr_Occurred()) {
			i->raised = true;
			errno = EIO;
			return -1;
		}
		return n;
	});
}

// What a call of read makes: the tool, where the questions come from and
// what messages call it, how many questions a tuple holds, and the reading.
struct reading {
	PyObject_HEAD const tools::tool *tool;
	input in;
	PyObject *name;
	Py_ssize_t chunk;
	many::questions *questions;
	// Read by a thread, without the GIL, which another could take.
	bool busy;
};

void reading_free(PyObject *self)
{
	auto *r = reinterpret_cast<reading *>(self);
	if (r->questions)
		r->questions->~questions();
	PyMem_Free(r->questions);
	if (r->in.fd >= 0)
		close(r->in.fd);
	if (r->in.memory.obj)
		PyBuffer_Release(&r->in.memory);
	Py_XDECREF(r->in.file);
	Py_XDECREF(r->name);
	PyTypeObject *type = Py_TYPE(self);
	type->tp_free(self);
	Py_DECREF(type);
}

// What the compressions are opened with in Python, where it can.
const char *opener(const char *compression)
{
	return !strcmp(compression, "gzip")    ? "gzip.open(FILE)"
	       : !strcmp(compression, "bzip2") ? "bz2.open(FILE)"
	       : !strcmp(compression, "xz")    ? "lzma.open(FILE)"
	                                       : "a zstd decompressor";
}

// The next tuple of columns, of up to chunk questions; null at the end, or
// with the exception that stopped the reading.
PyObject *reading_next(PyObject *self)
{
	auto *r = reinterpret_cast<reading *>(self);
	if (r->busy) {
		PyErr_SetString(PyExc_ValueError,
		                "read()'s iterator is already being read on "
		                "another thread");
		return nullptr;
	}
	const int count = r->tool->count;
	const npy_intp rows = r->chunk;
	PyObject *columns[tools::most] = {};
	long long *at[tools::most];
	for (int k = 0; k < count; k++) {
		columns[k] = PyArray_SimpleNew(1, &rows, NPY_INT64);
		if (!columns[k]) {
			for (int j = 0; j < k; j++)
				Py_DECREF(columns[j]);
			return nullptr;
		}
		at[k] = static_cast<long long *>(PyArray_DATA(
		    reinterpret_cast<PyArrayObject *>(columns[k])));
	}
	many::questions *q = r->questions;
	const size_t most = static_cast<size_t>(rows);
	r->busy = true;
	const size_t got =
	    without_gil([q, at, most] { return q->read(at, most); });
	r->busy = false;
	PyObject *result = nullptr;
	if (r->in.raised || PyErr_Occurred()) {
		// The file object's own exception.
	} else if (q->fault_line()) {
		PyErr_Format(PyExc_ValueError, "%U:%llu: %s", r->name,
		             q->fault_line(), q->why());
	} else if (q->error()) {
		errno = q->error();
		PyErr_SetFromErrnoWithFilenameObject(PyExc_OSError, r->name);
	} else if (q->compression()) {
		PyErr_Format(PyExc_ValueError,
		             "%U: compressed with %s, not questions; read it "
		             "through %s",
		             r->name, q->compression(),
		             opener(q->compression()));
	} else if (got) {
		result = PyTuple_New(count);
		for (int k = 0; result && k < count; k++) {
			npy_intp length = static_cast<npy_intp>(got);
			PyArray_Dims shape = {&length, 1};
			PyObject *fit = PyArray_Resize(
			    reinterpret_cast<PyArrayObject *>(columns[k]),
			    &shape, 0, NPY_CORDER);
			if (!fit) {
				Py_CLEAR(result);
				break;
			}
			Py_DECREF(fit);
			PyTuple_SET_ITEM(result, k, columns[k]);
			columns[k] = nullptr;
		}
	}
	for (int k = 0; k < count; k++)
		Py_XDECREF(columns[k]);
	return result;
}

PyTypeObject *reading_type;

// Where file's questions come from, into r, and what messages call it.
bool open_input(reading *r, PyObject *file)
{
	if (PyUnicode_Check(file) ||
	    PyObject_HasAttrString(file, "__fspath__")) {
		PyObject *path = nullptr;
		if (!PyUnicode_FSConverter(file, &path))
			return false;
		const char *p = PyBytes_AS_STRING(path);
		r->in.fd =
		    without_gil([p] { return open(p, O_RDONLY | O_CLOEXEC); });
		Py_DECREF(path);
		r->name = PyOS_FSPath(file);
		if (r->name && !PyUnicode_Check(r->name))
			Py_SETREF(r->name, PyUnicode_DecodeFSDefaultAndSize(
			                       PyBytes_AS_STRING(r->name),
			                       PyBytes_GET_SIZE(r->name)));
		if (r->in.fd < 0 && r->name)
			PyErr_SetFromErrnoWithFilenameObject(PyExc_OSError,
			                                     r->name);
		return r->name && r->in.fd >= 0;
	}
	if (PyObject_CheckBuffer(file)) {
		r->name = PyUnicode_FromString("<bytes>");
		return r->name && PyObject_GetBuffer(file, &r->in.memory,
		                                     PyBUF_SIMPLE) == 0;
	}
	if (PyObject_HasAttrString(file, "readinto") ||
	    PyObject_HasAttrString(file, "read")) {
		Py_INCREF(file);
		r->in.file = file;
		PyObject *name = PyObject_GetAttrString(file, "name");
		PyErr_Clear();
		r->name = name && PyUnicode_Check(name)
		              ? name
		              : PyUnicode_FromString("<file>");
		if (r->name != name)
			Py_XDECREF(name);
		return r->name != nullptr;
	}
	PyErr_Format(PyExc_TypeError,
	             "file is a path, a binary file or bytes of whole lines, "
	             "not %s",
	             Py_TYPE(file)->tp_name);
	return false;
}

} // namespace

PyObject *read_questions(PyObject *, PyObject *args, PyObject *kwargs)
{
	static const char *keywords[] = {"tool", "file", "chunk", "first_line",
	                                 nullptr};
	const char *name;
	PyObject *file, *chunk = Py_None;
	PyObject *first_line = nullptr;
	if (!PyArg_ParseTupleAndKeywords(args, kwargs, "sO|OO:read",
	                                 const_cast<char **>(keywords), &name,
	                                 &file, &chunk, &first_line))
		return nullptr;
	// Checked, where "K" would take -1 as 2^64 - 1.
	unsigned long long first = 1;
	if (first_line) {
		int overflow = 0;
		long long given =
		    PyLong_AsLongLongAndOverflow(first_line, &overflow);
		if (given == -1 && PyErr_Occurred())
			return nullptr;
		if (overflow || given < 1)
			return PyErr_Format(PyExc_ValueError,
			                    "first_line counts from 1, not %R",
			                    first_line);
		first = static_cast<unsigned long long>(given);
	}
	const tools::tool *tool = nullptr;
	for (const tools::tool &t : tools::all)
		if (!strcmp(name, t.name))
			tool = &t;
	if (!tool)
		return PyErr_Format(PyExc_ValueError, "no tool '%s'", name);
	Py_ssize_t rows = 1 << 16;
	if (chunk != Py_None) {
		rows = PyLong_AsSsize_t(chunk);
		if (rows < 1)
			return PyErr_Occurred()
			           ? nullptr
			           : PyErr_Format(
			                 PyExc_ValueError,
			                 "chunk is a number of questions "
			                 "from 1 up, not %zd",
			                 rows);
	}
	auto *r = PyObject_New(reading, reading_type);
	if (!r)
		return nullptr;
	r->tool = tool;
	new (&r->in) input();
	r->name = nullptr;
	r->chunk = rows;
	r->questions = nullptr;
	r->busy = false;
	PyObject *self = reinterpret_cast<PyObject *>(r);
	if (!open_input(r, file)) {
		Py_DECREF(self);
		return nullptr;
	}
	many::source from = {r->in.file         ? read_object
	                     : r->in.memory.obj ? read_memory
	                                        : read_fd,
	                     &r->in};
	void *room = PyMem_Malloc(sizeof(many::questions));
	if (room)
		r->questions = new (room)
		    many::questions(from, tool->count, tool->name, first);
	if (!r->questions || !r->questions->ready()) {
		if (!r->questions)
			PyMem_Free(room);
		Py_DECREF(self); // and with it the reader half made
		return PyErr_NoMemory();
	}
	if (chunk != Py_None)
		return self;
	// All of them: the tuples of columns, joined.
	PyObject *parts = PyList_New(0);
	for (PyObject *part; parts && (part = reading_next(self));) {
		if (PyList_Append(parts, part) < 0)
			Py_CLEAR(parts);
		Py_DECREF(part);
	}
	Py_DECREF(self);
	if (!parts || PyErr_Occurred()) {
		Py_XDECREF(parts);
		return nullptr;
	}
	PyObject *columns = PyTuple_New(tool->count);
	for (int k = 0; columns && k < tool->count; k++) {
		PyObject *pieces = PyList_New(PyList_GET_SIZE(parts));
		for (Py_ssize_t i = 0; pieces && i < PyList_GET_SIZE(parts);
		     i++) {
			PyObject *piece =
			    PyTuple_GET_ITEM(PyList_GET_ITEM(parts, i), k);
			Py_INCREF(piece);
			PyList_SET_ITEM(pieces, i, piece);
		}
		const npy_intp none = 0;
		PyObject *joined = !pieces ? nullptr
		                   : PyList_GET_SIZE(pieces)
		                       ? PyArray_Concatenate(pieces, 0)
		                       : PyArray_SimpleNew(1, &none, NPY_INT64);
		Py_XDECREF(pieces);
		if (!joined)
			Py_CLEAR(columns);
		else
			PyTuple_SET_ITEM(columns, k, joined);
	}
	Py_DECREF(parts);
	return columns;
}

bool ready_read_type()
{
	static PyType_Slot slots[] = {
	    {Py_tp_doc,
	     const_cast<char *>(
	         "Tuples of columns of questions, as read reads them.")},
	    {Py_tp_dealloc, reinterpret_cast<void *>(reading_free)},
	    {Py_tp_iter, reinterpret_cast<void *>(PyObject_SelfIter)},
	    {Py_tp_iternext, reinterpret_cast<void *>(reading_next)},
	    {0, nullptr}};
	static PyType_Spec shape = {"orvane_quessel.reading", sizeof(reading),
	                            0, Py_TPFLAGS_DEFAULT, slots};
	reading_type =
	    reinterpret_cast<PyTypeObject *>(PyType_FromSpec(&shape));
	return reading_type != nullptr;
}
