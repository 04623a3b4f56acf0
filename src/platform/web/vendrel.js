// The page's side of the bridge to the application. It runs first, at document creation, before the
// page's own scripts and X_ITE. The page is opened afresh for every world, and the application writes
// a new secret into this script each time: reports without it are dropped.
// The world's scripts run later in this same page and may replace any global, built-in or prototype
// method. So the built-ins a report passes through are taken here, before them, and called only as
// taken; reports are made of objects and arrays without prototypes, so no toJSON or setter of theirs
// is consulted; and the page speaks Qt's web channel protocol itself, since qwebchannel.js looks
// globals up as it runs. A world then sees no report and not the secret, which stays in this closure,
// and cannot change a report, short of changing X_ITE's own classes, which the description reads.
(function () {
"use strict";

const apply = Reflect.apply;
const stringify = JSON.stringify;
const parse = JSON.parse;
const setPrototypeOf = Object.setPrototypeOf;
const defineProperty = Object.defineProperty;
const NativeMap = Map;
const mapGet = Map.prototype.get;
const mapSet = Map.prototype.set;
const now = Date.now;
const setInterval = window.setInterval.bind(window);
const clearInterval = window.clearInterval.bind(window);
const toText = String;
const toNumber = Number;
const slice = String.prototype.slice;

const token = "/*@TOKEN@*/"; // the application writes the secret here as it injects this file
const transport = window.qt && window.qt.webChannelTransport;
const send = transport && transport.send;

if (typeof Float16Array === "undefined")
   window.Float16Array = Uint16Array; // X_ITE names it; this Chromium lacks it

// This Chromium's fetch() refuses custom schemes, while XMLHttpRequest serves them: X_ITE reads the
// world's files through fetch(), so requests for our own scheme take that road.
const nativeFetch = window.fetch;
window.fetch = function (input, init) {
   const address = typeof input === "string" ? input : (input && input.url !== undefined ? input.url : String(input));
   let url;
   try { url = new URL(address, document.baseURI); } catch (e) { return apply(nativeFetch, this, arguments); }
   if (url.protocol !== "vendrel:")
      return apply(nativeFetch, this, arguments);
   return new Promise(function (resolve, reject) {
      const request = new XMLHttpRequest();
      request.open("GET", url.href);
      request.responseType = "arraybuffer";
      request.onload = function () {
         const response = new Response(request.response, {
            status: request.status || 200,
            headers: { "Content-Type": request.getResponseHeader("Content-Type") || "application/octet-stream" },
         });
         defineProperty(response, "url", { __proto__: null, value: url.href });
         resolve(response);
      };
      request.onerror = function () { reject(new TypeError("Failed to fetch " + url.href)); };
      request.send();
   });
};

// X_ITE tells why a load failed on the console only; the last thing it said goes with the report.
let lastConsoleError = "";
const consoleError = console.error;
console.error = function () {
   let text = "";
   for (let i = 0; i < arguments.length; ++i) {
      try { text += (i ? " " : "") + toText(arguments[i]); } catch (e) { }
   }
   lastConsoleError = text;
   return apply(consoleError, console, arguments);
};

// An array of our own, with no prototype.
function list() {
   return setPrototypeOf([], null);
}
function append(array, value) {
   array[array.length] = value;
}

// X_ITE's classes and constants the page uses, taken once X_ITE is there.
let SFNode = null;
let MFString = null;
let events = null;
let browser = null;

// Qt's web channel messages: what qwebchannel.js would send and receive for this one object.
const bridgeName = "vendrelBridge";
const INVOKE_METHOD = 6, CONNECT_TO_SIGNAL = 7, INIT = 3, SIGNAL = 1, RESPONSE = 10;
let postMethod = -1;
let loadSignal = -1;
let valueSignal = -1;
let lastId = 0;
let current = 0; // serial of the load the application asked for; a page is asked for one

function transmit(message) {
   apply(send, transport, [stringify(message)]);
}

function post(report) {
   if (postMethod < 0)
      return;
   report.token = token;
   transmit({ __proto__: null, type: INVOKE_METHOD, object: bridgeName, method: postMethod,
              args: setPrototypeOf([stringify(report)], null), id: ++lastId });
}

// The index the channel gave `name` among an object's methods or signals; -1 if it has none.
function indexOf(entries, name) {
   for (let i = 0; entries && i < entries.length; ++i) {
      if (entries[i] && entries[i][0] === name)
         return entries[i][1];
   }
   return -1;
}

// The application's messages: the answer to the handshake, then the one load the page is for, then
// questions about field values. The world's scripts, which run once the load is asked, can call this
// too: after the load it answers value questions only, which name the load and the node and field they
// are about, and the answer says what it answers, so that the application takes no other.
function receive(message) {
   let data = null;
   try { data = parse(message.data); } catch (e) { return; }
   if (!data || typeof data !== "object")
      return;
   if (current) {
      if (data.type === SIGNAL && data.object === bridgeName && data.signal === valueSignal && data.args)
         answerValue(data.args[0], data.args[1], data.args[2], data.args[3], data.args[4]);
      return;
   }
   if (data.type === RESPONSE && data.id === 0 && postMethod < 0) {
      const bridge = data.data && data.data[bridgeName];
      if (!bridge)
         return;
      postMethod = indexOf(bridge.methods, "post");
      loadSignal = indexOf(bridge.signals, "loadRequested");
      valueSignal = indexOf(bridge.signals, "valueRequested");
      transmit({ __proto__: null, type: CONNECT_TO_SIGNAL, object: bridgeName, signal: loadSignal });
      transmit({ __proto__: null, type: CONNECT_TO_SIGNAL, object: bridgeName, signal: valueSignal });
      post({ __proto__: null, serial: 0, kind: "ready", version: toText(X3D.X3DBrowser ? browser.version : ""),
             webgl: !!document.createElement("canvas").getContext("webgl2") });
   } else if (data.type === SIGNAL && data.object === bridgeName && data.signal === loadSignal && data.args) {
      const serial = data.args[0];
      const url = data.args[1];
      if (typeof serial === "number" && serial > 0 && typeof url === "string") {
         current = serial;
         load(serial, url);
      }
   }
}

// One compact description of every node reachable from the root nodes: node types share one list of
// field definitions (Script nodes and prototype instances may have their own), and only node-valued
// fields carry values. Everything in it is a string or a number.
function snapshot(scene) {
   const defsIndex = new NativeMap();
   const defs = list();
   const nodeFields = list(); // per defs: the kind (1 SFNode, 2 MFNode) and name of each node field
   const ids = new NativeMap();
   const nodes = list();
   const queue = list();

   function unwrap(value) {
      // Root nodes and field elements come as SFNode objects, whose value is the node itself.
      if (value instanceof SFNode)
         return value.getValue();
      return value || null;
   }
   function idOf(value) {
      const node = unwrap(value);
      if (!node || typeof node.getFieldDefinitions !== "function")
         return -1;
      let id = apply(mapGet, ids, [node]);
      if (id === undefined) {
         id = nodes.length;
         apply(mapSet, ids, [node, id]);
         append(nodes, null);
         append(queue, node);
      }
      return id;
   }
   function defsOf(node) {
      const definitions = node.getFieldDefinitions();
      let index = apply(mapGet, defsIndex, [definitions]);
      if (index === undefined) {
         index = defs.length;
         apply(mapSet, defsIndex, [definitions, index]);
         const fields = list();
         const links = list();
         for (let i = 0; i < definitions.length; ++i) {
            const definition = definitions[i];
            const name = toText(definition.getName());
            const typeName = toText(definition.getValue().getTypeName());
            append(fields, setPrototypeOf([name, toNumber(definition.getAccessType()), typeName], null));
            if (typeName === "SFNode" || typeName === "MFNode")
               append(links, setPrototypeOf([typeName === "SFNode" ? 1 : 2, name], null));
         }
         append(defs, fields);
         append(nodeFields, links);
      }
      return index;
   }

   const roots = list();
   const rootNodes = scene.rootNodes;
   for (let i = 0; i < rootNodes.length; ++i)
      append(roots, idOf(rootNodes[i]));

   described = queue;
   for (let next = 0; next < queue.length; ++next) {
      const node = queue[next];
      const d = defsOf(node);
      const fields = nodeFields[d];
      const links = list();
      for (let i = 0; i < fields.length; ++i) {
         const kind = fields[i][0];
         let field = null;
         try { field = node.getField(fields[i][1]); } catch (e) { field = null; }
         if (!field) {
            append(links, kind === 1 ? -1 : list());
         } else if (kind === 1) {
            append(links, idOf(field.getValue()));
         } else {
            const elements = list();
            for (let j = 0; j < field.length; ++j)
               append(elements, idOf(field[j]));
            append(links, elements);
         }
      }
      nodes[next] = setPrototypeOf([toText(node.getTypeName()), toText(node.getName()), d, links], null);
   }
   return { __proto__: null, defs: defs, nodes: nodes, roots: roots };
}

// The nodes of the scene described, by their numbers in the description, and the one field whose
// changes are watched: the field asked about last.
let described = null;
const maxText = 2000;
const maxElements = 16;
const watchKey = setPrototypeOf({}, null);
const watched = { __proto__: null, node: -1, name: "", field: null, changed: false };

function unwatch() {
   const field = watched.field;
   watched.node = -1;
   watched.field = null;
   if (field)
      field.removeFieldCallback(watchKey);
}
function fieldChanged() {
   watched.changed = true;
}
function bounded(text) {
   return text.length > maxText ? apply(slice, text, [0, maxText]) + "\u2026" : text;
}
function nodeText(value) {
   const node = value instanceof SFNode ? value.getValue() : value;
   if (!node)
      return "NULL";
   const name = toText(node.getName());
   return toText(node.getTypeName()) + (name ? " " + name : "");
}
function elementText(value) {
   if (typeof value === "string")
      return stringify(value);
   return value instanceof SFNode ? nodeText(value) : toText(value);
}

// The value as text: a node by its type and name, an image by its size, the first elements of a
// multiple-valued field with their count, anything else as X_ITE writes it.
function describeValue(field, report) {
   const type = toText(field.getTypeName());
   if (type === "SFNode") {
      report.text = nodeText(field.getValue());
   } else if (type === "SFImage") {
      report.text = toText(field.width) + " " + toText(field.height) + " " + toText(field.comp) + " (pixels not shown)";
   } else if (type[0] === "M") {
      const count = toNumber(field.length);
      let text = "";
      let shown = 0;
      for (; shown < count && shown < maxElements && text.length < maxText; ++shown)
         text += (shown ? ", " : "") + elementText(field[shown]);
      report.elements = count;
      report.shown = shown;
      report.text = bounded(text);
   } else {
      report.text = bounded(toText(field));
   }
}

function answerValue(serial, request, node, name, sinceLast) {
   if (serial !== current || typeof request !== "number" || typeof name !== "string" || !described ||
       typeof node !== "number" || !(node >= 0 && node < described.length))
      return;
   const report = { __proto__: null, serial: serial, kind: "value", request: request, node: node, field: name };
   try {
      if (watched.node !== node || watched.name !== name || !watched.field) {
         unwatch();
         const field = described[node].getField(name);
         field.addFieldCallback(watchKey, fieldChanged);
         watched.node = node;
         watched.name = name;
         watched.field = field;
         watched.changed = true;
      }
      if (sinceLast === true && !watched.changed) {
         report.unchanged = true;
      } else {
         watched.changed = false;
         describeValue(watched.field, report);
      }
   } catch (e) {
      unwatch();
      let reason = "";
      try { reason = bounded(toText(e)); } catch (e2) { }
      post({ __proto__: null, serial: serial, kind: "value", request: request, node: node, field: name,
             error: "Couldn't read the field" + (reason ? ": " + reason : "") });
      return;
   }
   post(report);
}

function load(serial, url) {
   lastConsoleError = "";
   let initialized = false;
   let failed = false;
   const keys = {};
   // X_ITE counts the files it still waits for; the application hears of each change.
   let files = -1;
   const progress = setInterval(function () {
      let count = -1;
      try { count = browser._loadCount.getValue(); } catch (e) { }
      if (typeof count === "number" && count >= 0 && count !== files) {
         files = count;
         post({ __proto__: null, serial: serial, kind: "progress", files: count });
      }
   }, 200);
   function done() {
      clearInterval(progress);
      browser.removeBrowserCallback(keys, events.INITIALIZED_EVENT);
      browser.removeBrowserCallback(keys, events.INITIALIZED_ERROR);
      browser.removeBrowserCallback(keys, events.CONNECTION_ERROR);
   }
   browser.addBrowserCallback(keys, events.INITIALIZED_EVENT, function () { initialized = true; });
   browser.addBrowserCallback(keys, events.INITIALIZED_ERROR, function () { failed = true; });
   browser.addBrowserCallback(keys, events.CONNECTION_ERROR, function () {
      post({ __proto__: null, serial: serial, kind: "event", code: 2 });
   });
   browser.loadURL(new MFString(url)).then(function () {
      done();
      const initializedAt = now();
      let scene = null;
      try {
         scene = snapshot(browser.currentScene);
      } catch (e) {
         post({ __proto__: null, serial: serial, kind: "failed", reason: "Couldn't read the scene: " + toText(e) });
         return;
      }
      post({ __proto__: null, serial: serial, kind: "initialized", initializedAt: initializedAt, scene: scene });
   }, function (error) {
      done();
      const message = toText(error && error.message ? error.message : error);
      // The console is the world's too: what it said last there is its own to choose, checked or not.
      const detail = lastConsoleError.replace(/\*{10,}/g, "").replace(/\s+/g, " ").trim();
      post({ __proto__: null, serial: serial, kind: "failed", reason: detail ? message + " " + detail : message,
             initializedError: failed || !initialized });
   });
}

function start() {
   if (!transport)
      return; // no channel to the application
   SFNode = X3D.SFNode;
   MFString = X3D.MFString;
   events = { __proto__: null, INITIALIZED_EVENT: X3D.X3DConstants.INITIALIZED_EVENT,
              INITIALIZED_ERROR: X3D.X3DConstants.INITIALIZED_ERROR, CONNECTION_ERROR: X3D.X3DConstants.CONNECTION_ERROR,
              SHUTDOWN_EVENT: X3D.X3DConstants.SHUTDOWN_EVENT };
   browser = X3D.getBrowser(document.getElementById("canvas"));
   browser.addBrowserCallback("vendrel", events.SHUTDOWN_EVENT, function () {
      post({ __proto__: null, serial: current, kind: "event", code: 1 });
   });
   transport.onmessage = receive;
   transmit({ __proto__: null, type: INIT, id: 0 });
}

if (document.readyState === "loading")
   document.addEventListener("DOMContentLoaded", start);
else
   start();
})();
