// X3D Vendrel "Try" helper: runs in the page of the world shown, after vendrel-host.js, so that the tool's
// Try panel can call the functions of a generated script, read fields for its input boxes and follow the
// script's listeners. Every entry takes plain data (never code) and answers with one JSON text, which the
// tool reads as untrusted text: the world shares this realm and may have changed anything here.

/* exported VendrelTry */
/* global browser, context */

var VendrelTry = (function () {
"use strict";

const maxText = 2000;   // characters of one value or message
const maxLog = 20;      // calls kept per listener
const maxElements = 10; // elements of a list shown
const stringify = JSON.stringify;
const components = {
   SFColor: ["r", "g", "b"], SFColorRGBA: ["r", "g", "b", "a"], SFRotation: ["x", "y", "z", "angle"],
   SFVec2f: ["x", "y"], SFVec2d: ["x", "y"], SFVec3f: ["x", "y", "z"], SFVec3d: ["x", "y", "z"],
   SFVec4f: ["x", "y", "z", "w"], SFVec4d: ["x", "y", "z", "w"],
};

let generation = 0;    // of the script installed last; listeners of earlier ones stay silent
let logs = new Map();  // listener name -> { count, entries: [{ text, ms, error }], dirty }

function bounded(text) {
   text = String(text);
   return text.length > maxText ? text.slice(0, maxText - 1) + "\u2026" : text;
}

function message(error) {
   try {
      return bounded(error && error.message !== undefined ? error.message : error);
   } catch (e) {
      return "unreadable error";
   }
}

// Single precision shows as typed: 0.8, not 0.800000011920929.
function number(value) {
   return Number.isInteger(value) ? String(value) : String(Number(Number(value).toPrecision(7)));
}

function typeOf(value) {
   return value !== null && typeof value === "object" && typeof value.getTypeName === "function"
      ? value.getTypeName() : "";
}

function isList(value) {
   return Array.isArray(value) || (typeof X3D !== "undefined" && value instanceof X3D.X3DArrayField);
}

// The parts of one value as the input boxes take them: components, or the value itself.
function parts(value) {
   const type = typeOf(value);
   const names = components[type];
   if (names)
      return names.map(function (name) { return number(value[name]); });
   if (value !== null && typeof value === "object" && !type && !isList(value))
      return Object.keys(value).map(function (key) { return text(value[key]); }); // an element object
   if (typeof value === "number")
      return [number(value)];
   if (typeof value === "boolean" || typeof value === "string")
      return [String(value)];
   return [];
}

// A value as text, by type: "x y z" for vectors and colours, a short list for MF fields, the type and
// name of a node.
function text(value) {
   if (value === undefined)
      return "";
   if (value === null)
      return "null";
   if (typeof value === "number")
      return number(value);
   if (typeof value !== "object")
      return String(value);
   if (typeof value.getValue === "function" && typeof value.getField === "undefined" && !typeOf(value) &&
       typeof value.set1Value === "function")
      return text(value.getValue()); // a field of the host library, as a getter returns it
   const type = typeOf(value);
   if (typeof value.getNodeTypeName === "function") {
      const name = value.getNodeName();
      return value.getNodeTypeName() + (name ? " " + stringify(name) : "");
   }
   if (type === "SFImage")
      return "SFImage " + value.width + "x" + value.height + "x" + value.comp;
   if (components[type])
      return parts(value).join(" ");
   if (isList(value)) {
      const shown = [];
      for (let i = 0; i < value.length && i < maxElements; ++i)
         shown.push(typeof value[i] === "string" ? stringify(value[i]) : text(value[i]));
      return "[" + shown.join(", ") + (value.length > maxElements ? ", \u2026 " + value.length + " elements" : "") +
             "]";
   }
   if (!type)
      return parts(value).join(" ");
   return String(value);
}

// A list as the "arr" box takes it: "0 1 0, 0 2 0" or a JSON list of strings.
function listText(value) {
   if (!isList(value))
      return "";
   const elements = Array.from(value);
   if (elements.every(function (element) { return typeof element === "string"; }))
      return stringify(elements);
   return elements.map(function (element) { return parts(element).join(" "); }).join(", ");
}

function answer(result) {
   return stringify(result);
}

// Each call of a listener is logged before the script's own code runs.
function wrap(name) {
   const original = window[name];
   if (typeof original !== "function")
      return;
   const mine = generation;
   const log = { count: 0, entries: [], dirty: true };
   logs.set(name, log);
   window[name] = function (f) {
      if (mine !== generation)
         return undefined; // the observer of a script installed before
      const entry = { text: "", ms: Date.now() };
      try {
         entry.text = bounded(text(f));
      } catch (e) {
         entry.text = "?";
      }
      ++log.count;
      log.entries.push(entry);
      if (log.entries.length > maxLog)
         log.entries.shift();
      log.dirty = true;
      try {
         return original.apply(this, arguments);
      } catch (error) {
         entry.error = message(error);
         throw error;
      }
   };
}

// Runs the generated script (its text as data), wraps its listeners and attaches them to the world
// already initialized.
function install(spec) {
   ++generation;
   logs = new Map();
   try {
      (0, eval)(String(spec.script));
   } catch (error) {
      return answer({ ok: false, error: "The script does not run: " + message(error) });
   }
   for (const name of spec.listeners)
      wrap(String(name));
   try {
      window.listenersSetup = false;
      if (typeof window.setupListeners === "function")
         window.setupListeners();
   } catch (error) {
      return answer({ ok: false, error: "setupListeners(): " + message(error) });
   }
   return answer({ ok: true, text: "" });
}

function call(spec) {
   const fn = window[String(spec.name)];
   if (typeof fn !== "function")
      return answer({ ok: false, error: bounded(spec.name) + " is not defined in the page" });
   try {
      return answer({ ok: true, text: bounded(text(fn.apply(window, spec.args))) });
   } catch (error) {
      return answer({ ok: false, error: message(error) });
   }
}

// The current values of fields: [{ node, field }] -> [{ ok, text, fill, first } or { ok: false, error }].
function read(fields) {
   const results = [];
   for (const wanted of fields) {
      try {
         const scene = browser.getExecutionContext() || context;
         const value = scene.getNode(String(wanted.node)).getField(String(wanted.field)).getValue();
         const list = isList(value);
         const fill = list ? [listText(value)] : parts(value);
         results.push({ ok: true, text: bounded(text(value)),
                        fill: fill.join("").length > maxText ? [] : fill.map(bounded),
                        first: list && value.length ? parts(value[0]).map(bounded) : [] });
      } catch (error) {
         results.push({ ok: false, error: message(error) });
      }
   }
   return answer(results);
}

// The logs of the listeners called since the last poll.
function poll() {
   const changed = {};
   logs.forEach(function (log, name) {
      if (!log.dirty)
         return;
      log.dirty = false;
      changed[name] = { count: log.count, entries: log.entries };
   });
   return answer(changed);
}

return { install: install, call: call, read: read, poll: poll };
})();
