unit About;

interface

uses
  Windows, SysUtils, Classes, Graphics, Controls, Forms, StdCtrls, ExtCtrls;

type
  TfrmAbout = class(TForm)
    lblProduct: TLabel;
    lblCopyright: TLabel;
    memNotes: TMemo;
    btnOK: TButton;
  end;

var
  frmAbout: TfrmAbout;

implementation

{$R *.DFM}

end.
